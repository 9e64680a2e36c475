#pragma once

// The status line's words after a command: what was done, with the numbers a technician checks
// (how many channels, how many pages) and the file's own name.

#include <QString>
#include <filesystem>

#include "channel_memory.h"
#include "qt_text.h"

namespace kld::ui {

// Said after every command that replaces the whole memory (open, import, receive).
inline const QString kUndoHint = QStringLiteral(" Ctrl+Z brings back the memory you had.");

// The channels the memory holds: every defined record but the template, erase marks left out,
// as a listing, a CSV plan or a send would count them.
inline int ChannelCount(const ChannelMemory& memory) {
    int count = 0;
    for (int index = kDefaultRecord + 1; index <= kLastRecord; ++index) {
        const ChannelRecord& r = memory.Rec(index);
        count += r.IsDefined() && !r.IsErased() ? 1 : 0;
    }
    return count;
}

// "14 channels", "1 channel".
inline QString ChannelsText(int count) {
    return count == 1 ? QStringLiteral("1 channel") : QStringLiteral("%1 channels").arg(count);
}

// A file as the status line names it: its name alone, as the system spells it.
inline QString FileNameText(const std::filesystem::path& path) {
    return FromSystem(path.filename().string());
}

}  // namespace kld::ui
