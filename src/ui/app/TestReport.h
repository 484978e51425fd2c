#pragma once

#include "doc/DocShell.h"

#include <QStringList>

#include <memory>

// A window onto the running program for tests that start it as a separate
// process. When PETRINETS_TEST_REPORT names a file, the program keeps in it
// the titles of its document windows and the messages it showed; message
// boxes are then answered with their default button instead of waiting for
// a user. PETRINETS_TEST_EDIT=1 adds a place to the front document once the
// start-up files are open, so a test has unsaved work to lose.
namespace TestReport {

QString Path();
bool EditRequested();
// The messages shown so far (only while reporting).
const QStringList &Messages();
// The dialog prompter, or the answering one while reporting.
std::unique_ptr<TPrompter> MakePrompter();

} // namespace TestReport
