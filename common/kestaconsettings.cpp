#include "kestaconsettings.h"

#include <QCoreApplication>

KESTAconSettings::KESTAconSettings()
{
    InitializeSettings();
}

void KESTAconSettings::InitializeSettings()
{
    m_version = QStringLiteral("1.05");
    m_mode = 0;
    m_currentFolderPolicy = 0;
    m_specifiedFolder.clear();
    m_lastAccessFolder.clear();
    m_overwrite = true;
    m_startup = false;
    m_lastInsertDrive0.clear();
    m_lastInsertDrive1.clear();
    m_x68kOption = true;
    m_motorSignal = true;
}

QString KESTAconSettings::GetSelectedCurrentFolderPath() const
{
    switch (m_currentFolderPolicy) {
    case 0:
        return m_lastAccessFolder;
    case 1:
        return QCoreApplication::applicationDirPath();
    case 2:
        return m_specifiedFolder;
    default:
        return QString();
    }
}
