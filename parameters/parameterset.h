#pragma once

#include <QMultiHash>
#include <QString>
#include <QStringList>

// One bundle of operation parameters: parameter key -> value text, with the
// optional "name" key of a named set.  Every writer replaces the value of a key
// that is present already, so each key is held at most once.
//
// Text form: one element per key, "KEY/value".  An element is read back by
// splitting it at its first "/" only, so a value (or a name) may itself hold
// "/"; key and value are trimmed, which also drops the blank that follows each
// comma of the preset default strings.
class ParameterSet : public QMultiHash<QString, QString>
{
public:
    ParameterSet() = default;

    // The fifteen parameter keys in their fixed order (without "name").
    static const QStringList& ParameterKeys();

    // The value of key, "" when absent.
    QString Value(const QString& key) const;
    // Replaces the value of key (adds it when absent).
    void SetValue(const QString& key, const QString& value);

    // Empties the fifteen parameter keys, then gives each of them src's value
    // ("" where src lacks it).  The name and any other key stay as they are.
    void CopyParameters(const ParameterSet& src);
    // Removes the fifteen parameter keys; the name and any other key stay.
    void RemoveParameters();

    QString Name() const { return Value(NameKey()); }
    void SetName(const QString& name) { SetValue(NameKey(), name); }
    static const QString& NameKey();

    // Text form: the parameter keys in their fixed order, then "name", then any
    // other key in sorted order.
    QStringList ToTextForm() const;

    // Reads one element of the text form into key and value.  False for an
    // element that has no "/" or whose key is blank.
    static bool SplitElement(const QString& element, QString* key, QString* value);

    // Adds every readable element of list (later elements of the same key win).
    void AddTextForm(const QStringList& list);

    // A new set built from a text form (a settings string list); the caller
    // owns it.
    static ParameterSet* FromTextForm(const QStringList& list);
};
