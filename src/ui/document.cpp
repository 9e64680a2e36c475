#include "document.h"

#include <QScopedValueRollback>

namespace kld::ui {

Document::Document(QObject* parent) : QObject(parent) {}

void Document::SetVersion(const ProgramVersion& version) {
    state_.Version = version;
}

bool Document::Start(const std::function<bool(ChannelMemory&, ProgramState&)>& prepare) {
    const bool kept = prepare(memory_, state_);
    emit MemoryReplaced();
    ShowChannel(memory_.Current);
    return kept;
}

bool Document::Apply(const QString& name, const Change& change) {
    if (busy_) {
        return false;
    }
    const ChannelMemory before = memory_;
    const bool purgingBefore = Purging();
    Then then = Then::KeepShown;
    {
        const QScopedValueRollback busy(busy_, true);
        then = change(memory_, state_);
    }

    if (then == Then::Reload) {
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
    TellSaved(before.Saved);
    if (Purging() != purgingBefore) {
        emit PurgeChanged(Purging());
    }
    if (then != Then::KeepShown || memory_.Current != before.Current) {
        ShowChannel(memory_.Current);
    }
    emit Applied(name);
    return true;
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
