#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include "parameterset.h"

// The named parameter sets of one operation, in list order.  Each entry owns
// its own set: two entries may carry the same name and still keep their own
// parameters.  Lookups by name find the first entry of that name; callers that
// know a list position use the position-based accessors.
class ParameterManage : public QObject
{
    Q_OBJECT
public:
    // Most entries a store keeps and the settings hold per operation.
    static constexpr int MAX_SETS = 32;

    // Settings slot formats of the three operations ("%d" is the slot number).
    static const QString SLOT_DUMP;     // "DUMP/%d"
    static const QString SLOT_RESTORE;  // "RESTORE/%d"
    static const QString SLOT_UNFORMAT; // "UNFORMAT/%d"

    explicit ParameterManage(QObject* parent = nullptr);
    ~ParameterManage() override;

    int Count() const;
    // The name of the entry at index; "" outside the list.
    QString GetName(int index) const;
    // Copies the entry at index into out; false (out untouched) outside the list.
    bool Get(int index, ParameterSet* out) const;

    // The stored set of the first entry named name (not a copy), or null.
    ParameterSet* GetParameters(const QString& name) const;
    // Copies src into the first entry named name; nothing when there is none.
    void SetParameters(const QString& name, ParameterSet* src);

    // Position-based twins of the two above.
    ParameterSet* GetParametersAt(int index) const;
    bool SetParametersAt(int index, ParameterSet* src);
    // Position of the first entry named name, -1 when there is none.
    int IndexOf(const QString& name) const;

    // Takes ownership of set and appends it as a new entry named after its
    // "name" value ("" when absent).  A full store (MAX_SETS entries) refuses
    // the set: it is deleted and false is returned.  A null set is ignored.
    bool Insert(ParameterSet* set);
    // Deletes every stored set.
    bool AllClear();

    // New map from the decimal index text ("0", "1", ...) to the stored set of
    // that entry.  The caller deletes the map, not the sets.
    QHash<QString, ParameterSet*>* GetParameterHash() const;

    // Empties dst's fifteen parameter keys and "name", then gives each of them
    // src's value ("" where src lacks the key).  Other keys of dst stay.
    static void Copy(ParameterSet* dst, const ParameterSet* src);
    // Removes the fifteen parameter keys; "name" and other keys stay.
    static void RemoveParameters(ParameterSet* set);

    // Settings key of slot index for a slot format such as SLOT_DUMP.
    static QString SlotKey(const QString& slotFormat, int index);

    // Writes every entry (up to MAX_SETS) densely into the slots from 0 in list
    // order and removes every slot from the count to MAX_SETS - 1.
    void SaveToSettings(const QString& slotFormat) const;
    // Adds the sets of the slots from 0 on; stops at the first slot holding
    // fewer than two elements and when the store is full.  Returns how many
    // sets were added.
    int LoadFromSettings(const QString& slotFormat);

    // Text form of a set as written into a settings slot: always carries the
    // name element, and never fewer than two elements, since a shorter list
    // ends the loading.
    static QStringList SlotTextForm(const ParameterSet* set);

private:
    QList<ParameterSet*> m_sets;
};
