// What the stand-in's Task Scheduler reads of the machine's task files, for the tests that check it stays
// bounded: each definition is read once, and files far larger than any task are left alone.
#pragma once

#include <QtGlobal>

namespace taskfiles {

// A task file larger than this is no task: Windows keeps its task definitions to a few kilobytes.
constexpr qint64 largestTask = 1024 * 1024;
// Bounds on a definition's shape, far above what any task has: an XML parser's cost grows with the square
// of a start tag's attributes, so bytes alone do not bound it. A definition past one is no task either.
constexpr int mostAttributes = 64; // on one element
constexpr int mostElements = 20000;
constexpr int deepestNesting = 64;
// How many task definitions were parsed since the process started.
quint64 definitionsParsed();

} // namespace taskfiles
