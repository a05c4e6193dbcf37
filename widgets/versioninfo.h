#pragma once

#include <QWidget>

class QLabel;

namespace Ui {
class VersionInfo;
}

// The small badge in the top bar of both pages: the program title, "Ver" and
// one picture per character of the program version.
class VersionInfo : public QWidget
{
    Q_OBJECT
public:
    explicit VersionInfo(QWidget* parent = nullptr);
    ~VersionInfo() override;

private:
    static void SetScaledPicture(QLabel* label, const QString& path);

    Ui::VersionInfo* m_ui;
};
