#pragma once

// Which page of the image tool tabs (Convert, Rename, MakeHVR) is showing.
// The name fields of the tools open the on-screen keyboard only while their
// own page shows.  Process-wide, 0 at start.
class FileOperationPage
{
public:
    static int Index();
    static void SetIndex(int index);

private:
    static int m_index;
};
