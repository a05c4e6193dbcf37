#pragma once

#include <QString>

// The options the program consults at run time.  The settings file is the
// persistent copy; these fields are filled from it at start-up and written
// back field by field by whoever changes them.
class KESTAconSettings
{
public:
    KESTAconSettings();

    // The current-folder policy, as "CURRENT_FOLDER/NO" stores it.
    enum FolderPolicy { FOLDER_LAST_ACCESS = 0, FOLDER_APPLICATION = 1, FOLDER_SPECIFIED = 2 };

    // Puts every field back to its initial value.
    void InitializeSettings();

    // The folder the file browsers open in, by the current-folder policy;
    // "" for a policy value outside FolderPolicy.
    QString GetSelectedCurrentFolderPath() const;

    QString m_version;             // "SETTING/VERSION"
    int m_mode = 0;                // "MODE/NO": 0 easy, 1 expert
    int m_currentFolderPolicy = FOLDER_LAST_ACCESS; // "CURRENT_FOLDER/NO"
    QString m_specifiedFolder;     // "CURRENT_FOLDER/SPECIFIED_FOLDER_PATH"
    QString m_lastAccessFolder;    // "CURRENT_FOLDER/LASTACCESS_FOLDER_PATH"
    bool m_overwrite = true;       // "OVERWRITE/OVERWRITE"
    bool m_startup = false;        // "STARTUP/STARTUP"
    QString m_lastInsertDrive0;    // "LASTINSERT_FDIMAGE/DRIVE0"
    QString m_lastInsertDrive1;    // "LASTINSERT_FDIMAGE/DRIVE1"
    bool m_x68kOption = true;      // "DRVEMU/X68KOPT"
    bool m_motorSignal = true;     // "DRVEMU/MTRSIGNAL"
};
