#include "markmanage.h"

#include <QFileInfo>
#include <QSignalBlocker>

#include "kestalog.h"
#include "mycommon.h"

MarkManage* MarkManage::getInstance()
{
    // Created once, on first use; the static initialisation is thread-safe.
    static MarkManage* const instance = new MarkManage();
    return instance;
}

MarkManage::MarkManage(QObject* parent) : QObject(parent)
{
}

QString MarkManage::SettingKey(int i)
{
    return QStringLiteral("FOLDER_MARK/%1").arg(i);
}

QString MarkManage::Get(int i) const
{
    return m_marks.value(i);
}

bool MarkManage::Add(const QString& path)
{
    if (m_marks.contains(path, Qt::CaseSensitive))
        return false;
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return false;
    while (m_marks.size() >= MAX_MARKS)
        m_marks.removeFirst();
    m_marks.append(path);
    emit folderMarkChanged();
    return true;
}

void MarkManage::AllClear()
{
    m_marks.clear();
}

void MarkManage::LoadFromSettings()
{
    MyCommon* common = MyCommon::getInstance();
    // Loading only restores what the file holds; nothing must save it back.
    const QSignalBlocker quiet(this);
    for (int i = 0; i < MAX_MARKS; ++i) {
        const QString path = common->GetSettingString(SettingKey(i));
        if (path.isEmpty())
            break;
        if (!MyCommon::IsUsableSettingFolder(path)) {
            qCWarning(lcSettings) << "folder mark is not an absolute folder, skipped:" << path;
            continue;
        }
        Add(path);
    }
}

void MarkManage::SaveToSettings() const
{
    MyCommon* common = MyCommon::getInstance();
    for (int i = 0; i < m_marks.size(); ++i) {
        const QString key = SettingKey(i);
        if (common->GetSettingString(key) != m_marks.at(i))
            common->SetSettingString(key, m_marks.at(i));
    }
}
