#include "parameterselector.h"

#include "parametermanage.h"

ParameterSelector::ParameterSelector(QWidget* parent) : QWidget(parent) {}

ParameterSelector::~ParameterSelector()
{
    delete m_manage;
}

void ParameterSelector::SetMode(int mode)
{
    m_mode = mode;
}

ParameterManage* ParameterSelector::getParameterManage()
{
    if (!m_manage)
        m_manage = new ParameterManage();
    return m_manage;
}

void ParameterSelector::SetupParameterList()
{
    // No list widget yet: the names live in the store only.
}
