#pragma once
// Headless run of one project: `velm --batch FILE [--json] [--report OUT.xlsx] [--pdf OUT.pdf]
// [--chart OUT]`.
//
// No window is built: the project is read into a design document (core/DesignDocument) as the
// window's open command would read it, recalculated as the window does, and every input and result
// value field is printed, one per line as "name caption
// text unit" (the caption as the window's label shows it, without spaces; the text trimmed and, as
// the window shows it, long numbers in 7 digits; an empty text or unit is written "-"; a result the
// recalculation did not write, kept from earlier inputs, ends in " stale"), followed by the option
// lists and the two "计算" boxes as "name caption text", and the validity findings as "finding
// level code field text" lines; with --json one JSON object instead (rows carry "caption" and
// "stale"; the object has "captions" of the lists and boxes, and "findings"). Every message box
// text goes to standard error. With --report the calculation report of the recalculated project is
// then written to OUT.xlsx by the window's own report code (a window nobody sees opens the project
// for it) (the date as the window would write it); with --pdf the same report as a PDF page.
//
// Exit codes: 0 done; 1 the project (or the packing table) could not be read; 2 wrong command
// line (also a project path that names no file); 3 the project was read but the recalculation did
// not complete (its messages are on standard error, the fields are still printed); 4 the report
// could not be written (the reason is on standard error; nothing is left at its path, an
// existing file is unchanged).
// Also 4 when the chart could not be drawn or written (no chart is written for an incomplete
// calculation). --chart OUT draws both diagrams of the chart page through the window's own chart
// command and writes them side by side to OUT: SVG when its name ends in ".svg", PNG otherwise.
#include <QStringList>

namespace velm {

// True when the command line asks for the batch mode. Looked at before the application object
// exists, so that the process can be given the offscreen platform.
bool IsBatchCommandLine(int argc, char** argv);
// True when the batch command line asks for a report, a PDF or a chart, which a window draws;
// otherwise the batch mode needs no more than a core application object.
bool BatchWritesFiles(int argc, char** argv);

// Runs the batch mode for the program's arguments (program name first); the application
// object must exist. Returns the exit code.
int RunBatch(const QStringList& arguments);

}  // namespace velm
