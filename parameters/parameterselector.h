#pragma once

#include <QWidget>

class ParameterManage;

// The parameter selector of one operation tab.  It owns the store of that
// operation's named sets.  (The preset buttons, the list and the EDIT/REC
// button are added with the selector's own change.)
class ParameterSelector : public QWidget
{
    Q_OBJECT
public:
    explicit ParameterSelector(QWidget* parent = nullptr);
    ~ParameterSelector() override;

    // 0 dump, 1 restore, 2 unformat.
    void SetMode(int mode);
    int Mode() const { return m_mode; }
    // The store, created on first use and deleted with the selector.
    ParameterManage* getParameterManage();
    // Rebuilds the list of names from the store.
    void SetupParameterList();

signals:
    void parameterRegistered();
    void fixBtnParameterRegistered();

private:
    int m_mode = 0;
    ParameterManage* m_manage = nullptr;
};
