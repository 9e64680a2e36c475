#pragma once

#include <QFont>

#include "channel_memory.h"

class QPrinter;

namespace kld::ui {

// Channel lines on each printed page; the last of the four pages holds the remaining 53.
inline constexpr int kPrintedLinesPerPage = 60;

// The listing's font: "Courier New" at 10 points, or, where the system has no such font, the
// closest fixed-pitch font it has, so that the columns still line up.
QFont ListingFont();
// Whether every character of the font takes the same width, measured.
bool IsMonospaced(const QFont& font);

// The printed listing (Print List): on every page two empty lines, the three headings and up to
// 60 summary lines, each line after five spaces. The printer is already set up (the caller shows
// the printer dialog). A failure part way ends the document, so that the pages already drawn go
// out, and gives false; nothing is said to the operator.
bool PrintListing(const ChannelMemory& memory, QPrinter& printer);

}  // namespace kld::ui
