#include "fileoperationpage.h"

int FileOperationPage::m_index = 0;

int FileOperationPage::Index()
{
    return m_index;
}

void FileOperationPage::SetIndex(int index)
{
    m_index = index;
}
