#include "document.h"

#include <QScopedValueRollback>
#include <QUndoStack>

namespace kld::ui {

namespace {

// Deep enough for a day's editing; a step keeps two memories of 25 KB.
constexpr int kStepsKept = 256;

// Whether two memories differ in anything a step changes. The channel shown, the saved state and
// the port are not part of a step.
bool SameMemory(const ChannelMemory& a, const ChannelMemory& b) {
    return a.Records == b.Records && a.ZoneCounts == b.ZoneCounts &&
           a.EnabledModes == b.EnabledModes && a.NoiseSquelchLevel == b.NoiseSquelchLevel;
}

bool SameState(const ProgramState& a, const ProgramState& b) {
    return a.Header == b.Header && a.MemoryStamp == b.MemoryStamp &&
           a.RadioVersion == b.RadioVersion && a.RxShadowCount == b.RxShadowCount &&
           a.PurgeMode == b.PurgeMode;
}

}  // namespace

// One step on the undo stack: the memory before and after it.
class DocumentStep : public QUndoCommand {
  public:
    DocumentStep(Document& document, const QString& name, Document::Snapshot before,
                 Document::Snapshot after)
        : QUndoCommand(name),
          document_(document),
          before_(std::move(before)),
          after_(std::move(after)) {}

    void undo() override { document_.Restore(before_); }
    void redo() override {
        if (done_) {
            document_.Restore(after_);
        }
        done_ = true;  // pushing it runs redo: the step is already done
    }

  private:
    Document& document_;
    Document::Snapshot before_;
    Document::Snapshot after_;
    bool done_ = false;
};

Document::Document(QObject* parent) : QObject(parent), steps_(new QUndoStack(this)) {
    steps_->setUndoLimit(kStepsKept);
}

void Document::SetVersion(const ProgramVersion& version) {
    state_.Version = version;
}

bool Document::Start(const std::function<bool(ChannelMemory&, ProgramState&)>& prepare) {
    const bool kept = prepare(memory_, state_);
    steps_->clear();
    emit MemoryReplaced();
    ShowChannel(memory_.Current);
    return kept;
}

bool Document::Apply(const QString& name, const Change& change) {
    if (busy_) {
        return false;
    }
    Snapshot before = Take();
    const bool purgingBefore = Purging();
    Then then = Then::KeepShown;
    {
        const QScopedValueRollback busy(busy_, true);
        then = change(memory_, state_);
    }

    const bool changed = !SameMemory(memory_, before.memory) || !SameState(state_, before.state);
    TellChanges(before.memory, purgingBefore, then == Then::Reload);
    TellSaved(before.memory.Saved);
    if (then != Then::KeepShown || memory_.Current != before.memory.Current) {
        ShowChannel(memory_.Current);
    }
    if (changed) {
        steps_->push(new DocumentStep(*this, name, std::move(before), Take()));
        ++stepsTaken_;
    }
    emit Applied(name);
    return true;
}

bool Document::MayLeaveCurrent() {
    return busy_ || !leaveGuard_ || leaveGuard_();
}

bool Document::GoTo(int index) {
    if (!MayLeaveCurrent()) {
        return false;
    }
    ShowChannel(index);
    return true;
}

void Document::Undo() {
    TakeStep(Way::Back);
}

void Document::Redo() {
    TakeStep(Way::Forward);
}

void Document::TakeStep(Way way) {
    const bool back = way == Way::Back;
    const int stepsBefore = stepsTaken_;
    // Edits stored on the way are the newest step: that is as far as this goes.
    if (busy_ || !(back ? steps_->canUndo() : steps_->canRedo()) || !MayLeaveCurrent() ||
        stepsTaken_ != stepsBefore) {
        return;
    }
    const bool savedBefore = memory_.Saved;
    back ? steps_->undo() : steps_->redo();
    FollowSaved(savedBefore);
    if (steps_->isClean()) {
        ShowCaption(savedCaption_);  // saved since the step was taken, perhaps under a new name
    }
}

// The memory undo or redo went to is saved when it is the one last saved (the stack's clean
// index), or when it was saved when its step was taken and no save has been made since (steps
// such as a selection leave the memory saved).
void Document::FollowSaved(bool savedBefore) {
    memory_.Saved = steps_->isClean() || restoredSaved_;
    TellSaved(savedBefore);
}

void Document::SetCaption(const QString& caption) {
    if (!busy_ && steps_->isClean()) {
        savedCaption_ = caption;  // a save, or the start: the file the saved memory is in
    }
    ShowCaption(caption);
}

void Document::ShowCaption(const QString& caption) {
    if (caption != caption_) {
        caption_ = caption;
        emit CaptionChanged(caption_);
    }
}

Document::Snapshot Document::Take() const {
    return {memory_, state_, caption_, saves_};
}

// The memory and the state go back as the step found or left them; the program's version, debug
// mode and the port are the running program's, not the memory's.
void Document::Restore(const Snapshot& snapshot) {
    const ChannelMemory before = memory_;
    const bool purgingBefore = Purging();
    const ProgramState running = state_;
    memory_ = snapshot.memory;
    memory_.PortNumber = before.PortNumber;
    memory_.Rec(kDefaultRecord).RFRec = before.Rec(kDefaultRecord).RFRec;  // the port it keeps
    memory_.Saved = before.Saved;  // the caller works out whether this is the saved memory
    restoredSaved_ = snapshot.memory.Saved && snapshot.saves == saves_;
    state_ = snapshot.state;
    state_.Version = running.Version;
    state_.DebugMode = running.DebugMode;
    TellChanges(before, purgingBefore, true);
    ShowChannel(memory_.Current);
    ShowCaption(snapshot.caption);
}

void Document::TellChanges(const ChannelMemory& before, bool purgingBefore, bool reload) {
    if (reload) {
        emit MemoryReplaced();
    } else {
        QList<int> changed;
        for (int n = 0; n <= kLastRecord; ++n) {
            if (memory_.Rec(n) != before.Rec(n)) {
                changed.append(n);
            }
        }
        if (!changed.isEmpty()) {
            emit RecordsChanged(changed);
        }
    }
    if (Purging() != purgingBefore) {
        emit PurgeChanged(Purging());
    }
}

void Document::ShowChannel(int index) {
    memory_.Current = static_cast<std::int16_t>(index);
    PrepareShownRecord(memory_);  // a Current past the last record becomes channel 1
    emit CurrentChanged(memory_.Current);
}

ChannelView Document::ViewCurrentChannel() {
    return kld::ViewCurrentChannel(memory_);
}

void Document::ShowStoredSoFar() {
    emit MemoryReplaced();
    ShowChannel(kFirstChannel);
}

bool Document::Save(const std::function<bool(ChannelMemory&, const ProgramState&)>& save) {
    const bool savedBefore = memory_.Saved;
    const bool ok = save(memory_, state_);
    if (ok && memory_.Saved) {
        steps_->setClean();
        ++saves_;
    }
    TellSaved(savedBefore);
    return ok;
}

bool Document::KeepSetting(const std::function<bool(ChannelMemory&, const ProgramState&)>& keep) {
    return keep(memory_, state_);
}

void Document::TellSaved(bool savedBefore) {
    if (memory_.Saved != savedBefore) {
        emit SavedChanged(memory_.Saved);
    }
}

}  // namespace kld::ui
