#pragma once

#include <QString>

class MainWindow;

// Renders each page and tab of the window into PNG files of a folder.
class Screenshots
{
public:
    static bool SaveAll(MainWindow* window, const QString& folder);
};
