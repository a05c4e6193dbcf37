#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs program with args and returns what it printed up to and with its first
// line feed, waiting at most totalMs in all, so that a tool that keeps
// printing cannot stretch the wait.  The tool is ended if it still runs.  The
// event loop turns meanwhile.
QByteArray ReadFirstLine(const QString& program, const QStringList& args, int totalMs);
