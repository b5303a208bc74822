#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes for tests that look at the state files.
namespace test_files
{

// The file's bytes, or "<unreadable>" when it cannot be read.
QByteArray readFile(const QString &path);
// Replaces the file's content; false when that failed.
bool writeFile(const QString &path, const QByteArray &content);

// The program copied into a folder of its own, which is then its program
// folder; "" when the copy failed.
QString installProgramCopy(const QString &folder);

} // namespace test_files
