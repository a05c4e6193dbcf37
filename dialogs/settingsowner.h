#pragma once

// What the settings dialog needs of the window whose settings it edits; the
// window implements it and hands it to the dialog.
class SettingsOwner
{
public:
    // Puts every setting back to its default, in the window and the file.
    virtual void InitializeSettings() = 0;
    // Reads the settings file again into the window (after a restore).
    virtual void LoadSettings() = 0;

protected:
    ~SettingsOwner() = default;
};
