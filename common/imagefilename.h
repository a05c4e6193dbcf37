#pragma once

#include <QString>

// A name an image may be given in the folder it is made or kept in: not empty,
// not "." or "..", and without a "/" or a NUL that would lead it out of that
// folder or cut it short.
bool IsValidImageFileName(const QString& name);
