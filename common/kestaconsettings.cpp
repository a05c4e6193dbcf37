#include "kestaconsettings.h"

#include <QCoreApplication>

#include "kestaversion.h"

KESTAconSettings::KESTAconSettings()
{
    InitializeSettings();
}

void KESTAconSettings::InitializeSettings()
{
    m_version = QStringLiteral(KESTA_VERSION);
    m_mode = 0;
    m_currentFolderPolicy = FOLDER_LAST_ACCESS;
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
    case FOLDER_LAST_ACCESS:
        return m_lastAccessFolder;
    case FOLDER_APPLICATION:
        return QCoreApplication::applicationDirPath();
    case FOLDER_SPECIFIED:
        return m_specifiedFolder;
    default:
        return QString();
    }
}
