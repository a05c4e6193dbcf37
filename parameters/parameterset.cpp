#include "parameterset.h"

#include <algorithm>

#include "mycommon.h"

const QStringList& ParameterSet::ParameterKeys()
{
    static const QStringList keys{
        MyCommon::KEY_DRIVES,      MyCommon::KEY_CYLINDERS,   MyCommon::KEY_HEADS,
        MyCommon::KEY_BEGIN,       MyCommon::KEY_END,         MyCommon::KEY_STEPS,
        MyCommon::KEY_DENSITY,     MyCommon::KEY_FORMAT,      MyCommon::KEY_ASSERT_PIN1,
        MyCommon::KEY_ASSERT_PIN2, MyCommon::KEY_ASSERT_PIN3, MyCommon::KEY_RETRY,
        MyCommon::KEY_FLAG,        MyCommon::KEY_DISKNO,      MyCommon::KEY_OVERWRITE,
    };
    return keys;
}

const QString& ParameterSet::NameKey()
{
    return MyCommon::KEY_NAME;
}

QString ParameterSet::Value(const QString& key) const
{
    return value(key, QString());
}

void ParameterSet::SetValue(const QString& key, const QString& value)
{
    // Drops every entry of key first, so a key added twice with insert()
    // ends up held once.
    remove(key);
    insert(key, value);
}

void ParameterSet::CopyParameters(const ParameterSet& src)
{
    if (&src == this)
        return;
    RemoveParameters();
    for (const QString& key : ParameterKeys())
        SetValue(key, src.Value(key));
}

void ParameterSet::RemoveParameters()
{
    for (const QString& key : ParameterKeys())
        remove(key);
}

QStringList ParameterSet::ToTextForm() const
{
    QStringList out;
    QStringList order = ParameterKeys();
    order.append(NameKey());
    for (const QString& key : order) {
        if (contains(key))
            out.append(key + QLatin1Char('/') + Value(key));
    }
    QStringList others;
    for (auto it = constBegin(); it != constEnd(); ++it) {
        if (!order.contains(it.key()) && !others.contains(it.key()))
            others.append(it.key());
    }
    std::sort(others.begin(), others.end());
    for (const QString& key : others)
        out.append(key + QLatin1Char('/') + Value(key));
    return out;
}

bool ParameterSet::SplitElement(const QString& element, QString* key, QString* value)
{
    const int slash = element.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return false;
    const QString k = element.left(slash).trimmed();
    if (k.isEmpty())
        return false;
    if (key)
        *key = k;
    if (value)
        *value = element.mid(slash + 1).trimmed();
    return true;
}

void ParameterSet::AddTextForm(const QStringList& list)
{
    QString key;
    QString value;
    for (const QString& element : list) {
        if (SplitElement(element, &key, &value))
            SetValue(key, value);
    }
}

ParameterSet* ParameterSet::FromTextForm(const QStringList& list)
{
    auto* set = new ParameterSet;
    set->AddTextForm(list);
    return set;
}
