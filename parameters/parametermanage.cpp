#include "parametermanage.h"

#include <QDebug>

#include "kestalog.h"
#include "mycommon.h"

const QString ParameterManage::SLOT_DUMP = QStringLiteral("DUMP/%d");
const QString ParameterManage::SLOT_RESTORE = QStringLiteral("RESTORE/%d");
const QString ParameterManage::SLOT_UNFORMAT = QStringLiteral("UNFORMAT/%d");

ParameterManage::ParameterManage(QObject* parent) : QObject(parent) {}

ParameterManage::~ParameterManage()
{
    AllClear();
}

int ParameterManage::Count() const
{
    return m_sets.size();
}

QString ParameterManage::GetName(int index) const
{
    const ParameterSet* set = GetParametersAt(index);
    return set ? set->Name() : QString();
}

bool ParameterManage::Get(int index, ParameterSet* out) const
{
    const ParameterSet* set = GetParametersAt(index);
    if (!set || !out)
        return false;
    Copy(out, set);
    return true;
}

ParameterSet* ParameterManage::GetParameters(const QString& name) const
{
    return GetParametersAt(IndexOf(name));
}

void ParameterManage::SetParameters(const QString& name, ParameterSet* src)
{
    SetParametersAt(IndexOf(name), src);
}

ParameterSet* ParameterManage::GetParametersAt(int index) const
{
    if (index < 0 || index >= m_sets.size())
        return nullptr;
    return m_sets.at(index);
}

bool ParameterManage::SetParametersAt(int index, ParameterSet* src)
{
    ParameterSet* set = GetParametersAt(index);
    if (!set || !src)
        return false;
    Copy(set, src);
    return true;
}

int ParameterManage::IndexOf(const QString& name) const
{
    for (int i = 0; i < m_sets.size(); ++i) {
        if (m_sets.at(i)->Name() == name)
            return i;
    }
    return -1;
}

bool ParameterManage::Insert(ParameterSet* set)
{
    if (!set)
        return false;
    if (m_sets.size() >= MAX_SETS) {
        qCDebug(lcSettings) << "ParameterManage::Insert: store full, set dropped:" << set->Name();
        delete set;
        return false;
    }
    if (m_sets.contains(set))
        return false;
    m_sets.append(set);
    return true;
}

bool ParameterManage::AllClear()
{
    qDeleteAll(m_sets);
    m_sets.clear();
    return true;
}

QHash<QString, ParameterSet*>* ParameterManage::GetParameterHash() const
{
    auto* map = new QHash<QString, ParameterSet*>;
    for (int i = 0; i < m_sets.size(); ++i)
        map->insert(QString::number(i), m_sets.at(i));
    return map;
}

void ParameterManage::Copy(ParameterSet* dst, const ParameterSet* src)
{
    if (!dst || !src || dst == src)
        return;
    dst->CopyParameters(*src);
    dst->SetName(src->Name());
}

void ParameterManage::RemoveParameters(ParameterSet* set)
{
    if (set)
        set->RemoveParameters();
}

QString ParameterManage::SlotKey(const QString& slotFormat, int index)
{
    QString key = slotFormat;
    return key.replace(QStringLiteral("%d"), QString::number(index));
}

QStringList ParameterManage::SlotTextForm(const ParameterSet* set)
{
    ParameterSet copy;
    if (set)
        copy = *set;
    if (!copy.contains(ParameterSet::NameKey()))
        copy.SetName(QString());
    // A slot of fewer than two elements ends the loading, so a set with only a
    // name gets its parameter keys written empty (an empty value reads the same
    // as an absent key).
    for (const QString& key : ParameterSet::ParameterKeys()) {
        if (copy.size() >= 2)
            break;
        if (!copy.contains(key))
            copy.SetValue(key, QString());
    }
    return copy.ToTextForm();
}

void ParameterManage::SaveToSettings(const QString& slotFormat) const
{
    MyCommon* common = MyCommon::getInstance();
    const int n = qMin(m_sets.size(), int(MAX_SETS));
    common->BeginSettingsBatch();
    for (int i = 0; i < n; ++i)
        common->SetSettingStringList(SlotKey(slotFormat, i), SlotTextForm(m_sets.at(i)));
    // The slots after the last set go, those beyond the kept number too
    // (a hand-edited file); all of it in one write.
    QStringList gone;
    for (int j = n; j < MAX_SETS; ++j)
        gone << SlotKey(slotFormat, j);
    const QString section = slotFormat.section(QLatin1Char('/'), 0, 0);
    for (const QString& entry : common->GetSettingKeys(section)) {
        bool number = false;
        if (entry.toInt(&number) >= MAX_SETS && number)
            gone << section + QLatin1Char('/') + entry;
    }
    common->RemoveSettingStrings(gone);
    common->EndSettingsBatch();
}

int ParameterManage::LoadFromSettings(const QString& slotFormat)
{
    MyCommon* common = MyCommon::getInstance();
    int added = 0;
    for (int i = 0; i < MAX_SETS && m_sets.size() < MAX_SETS; ++i) {
        const QStringList list = common->GetSettingStringList(SlotKey(slotFormat, i));
        if (list.size() < 2)
            break;
        if (Insert(ParameterSet::FromTextForm(list)))
            ++added;
    }
    return added;
}
