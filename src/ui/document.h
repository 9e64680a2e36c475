#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "channel_editor.h"
#include "channel_memory.h"
#include "program_state.h"

class QUndoStack;

namespace kld::ui {

// What the window edits: the channel memory, the program's state beside it, whether it is
// saved and the channel shown. The editor, the summary and the commands keep no copy of it and
// never change it behind each other's backs: every change passes through here, and they hear of
// it by the signals that follow.
//
// A change of the channels is a step with a name ("Store Channel 005", "Receive"), made in one
// place, Apply, which sees the memory before and after it. Moving from channel to channel,
// saving and the port are no steps: they change no channel.
//
// Every step that changed something can be undone and redone: the document keeps the whole
// memory before and after it (25 KB each, a few hundred steps deep). Whether the memory is saved
// follows: undoing back to what was last saved or opened makes it saved again.
class Document : public QObject {
    Q_OBJECT
  public:
    // What the window shows once a step is done, beyond the summary lines of the records that
    // changed.
    enum class Then {
        KeepShown,    // the editor keeps what it shows (an erase mark, a selection, a level)
        ShowCurrent,  // record Current, afresh
        Reload,       // every record may differ: the whole summary, then record Current afresh
    };
    using Change = std::function<Then(ChannelMemory& memory, ProgramState& state)>;

    explicit Document(QObject* parent = nullptr);

    const ChannelMemory& Memory() const { return memory_; }
    const ProgramState& State() const { return state_; }
    int Current() const { return memory_.Current; }
    bool Saved() const { return memory_.Saved; }
    bool Purging() const { return state_.PurgeMode != 0; }
    // A step is under way. Only a transfer lasts long enough to notice: it keeps the window's
    // event loop turning, and a command that arrives meanwhile is ignored, not queued.
    bool Busy() const { return busy_; }

    void SetVersion(const ProgramVersion& version);
    // The start-up: `prepare` fills the memory and the state (settings file, enabled modes,
    // reset) and says whether the settings file can be kept; then record Current is shown.
    bool Start(const std::function<bool(ChannelMemory&, ProgramState&)>& prepare);

    // One step: `change` works on the memory in place through the core, files and link
    // layers' own calls and says what to show afterwards. The summary lines of the records it
    // changed, the saved state, the purge and the channel shown follow, in that order. False,
    // and nothing done, while another step is under way.
    bool Apply(const QString& name, const Change& change);

    // Record `index` becomes Current and is shown, afresh when it already was (what was typed
    // into the editor and not stored is dropped).
    void ShowChannel(int index);
    // Leaving record Current for another channel, or replacing the memory, may throw away what
    // was typed into the editor and not stored. The guard (the editor's) asks the operator and
    // says whether to go on; it may store the edits first. True without a guard.
    void SetLeaveGuard(std::function<bool()> guard) { leaveGuard_ = std::move(guard); }
    bool MayLeaveCurrent();
    // The operator moves to channel `index`: when the guard lets them, it is shown.
    bool GoTo(int index);

    // Undo and redo of whole steps. Nothing happens while a step is under way or when the
    // operator keeps the editor's unstored edits. The stack is for the Edit menu's texts.
    void Undo();
    void Redo();
    QUndoStack& Steps() { return *steps_; }

    // The window's caption: the file the memory was last opened from or saved to. Undoing a step
    // that replaced the memory brings the caption from before it back.
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    // The editor's view of record Current. An undefined record takes the template's copy first
    // and stays undefined: its summary line does not change.
    ChannelView ViewCurrentChannel();
    // Records stored in place by a step that is still running (a transfer about to end): the
    // window shows them now, from channel 1, rather than when the step is over.
    void ShowStoredSoFar();

    // `save` writes the memory somewhere and marks it saved when it could.
    bool Save(const std::function<bool(ChannelMemory&, const ProgramState&)>& save);
    // `keep` takes a setting into the template record and the settings file (the port).
    bool KeepSetting(const std::function<bool(ChannelMemory&, const ProgramState&)>& keep);

  signals:
    void Applied(const QString& name);
    void RecordsChanged(const QList<int>& indices);  // ascending
    void MemoryReplaced();                           // every record may differ
    void CurrentChanged(int index);                  // also when it is shown afresh
    void SavedChanged(bool saved);
    void PurgeChanged(bool purging);
    void CaptionChanged(const QString& caption);

  private:
    friend class DocumentStep;
    // What a step changes, and so what undo puts back.
    struct Snapshot {
        ChannelMemory memory;
        ProgramState state;
        QString caption;
        int saves;  // saves made before it was taken
    };
    Snapshot Take() const;
    void Restore(const Snapshot& snapshot);
    void TellChanges(const ChannelMemory& before, bool purgingBefore, bool reload);
    void TellSaved(bool savedBefore);
    enum class Way { Back, Forward };
    void TakeStep(Way way);
    void FollowSaved(bool savedBefore);
    void ShowCaption(const QString& caption);

    ChannelMemory memory_;
    ProgramState state_;
    QString caption_;
    bool busy_ = false;
    // The snapshot undo or redo last put back was saved, with no save made since.
    bool restoredSaved_ = true;
    int stepsTaken_ = 0;  // steps pushed, ever
    int saves_ = 0;       // saves made, ever
    QString savedCaption_;
    std::function<bool()> leaveGuard_;
    QUndoStack* steps_;
};

}  // namespace kld::ui
