// The channel editor worked by an operator who types or pastes anything into any box: every
// key goes through its box's key rule, every box left through its leave rule, and every store
// (StoreChannel) must leave a record and a memory that the rest of the program can rely on, and
// summary lines the list can show.
//
//   byte 0   bits 4-6  the modes the radio enabled (wide, narrow, digital)
//            bit 0     list 3 holds 15 channels and list 4 sixteen, so the full-list rules show
//            bit 1     the settings file can be written when the template is stored
//            bit 7     the answer to the memory check's offer to move channels out of disabled
//                      modes: OK, else Cancel
//   then     the memory the editor starts from (LoadedMemory), then actions, each a byte (bits
//            0-6 which box, modulo 18; bit 7 paste rather than type, or the transmit side) and
//            what it needs: a text is a length byte and that many bytes, a choice one byte.
#include <functional>
#include <tuple>

#include "channel_editor.h"
#include "codecs.h"
#include "field_rules.h"
#include "fuzz_support.h"
#include "modes.h"
#include "shadows.h"
#include "squelch_modes.h"
#include "tables.h"

namespace {

using namespace kld;
using namespace kld::fuzz;

// What one key does to a box: the key to insert (0 for none), after the rule may have rewritten
// the box's text.
using KeyRule = std::function<int(int key, std::string& box)>;

// The box after the operator selected its text and typed `keys` over it (backspace taking the
// last character away, the box refusing keys beyond its length), or pasted `keys` over it. A
// paste goes past the key rule, as it does in any text box, and is cut to the box's length.
std::string Enter(std::string_view keys, bool paste, std::size_t maxLength, const KeyRule& rule) {
    if (paste) {
        return std::string(keys.substr(0, maxLength));
    }
    std::string box;
    for (const unsigned char c : keys) {
        const int key = rule ? rule(c, box) : c;
        if (key == kBackspace && !box.empty()) {
            box.pop_back();
        } else if (key != kBackspace && key != 0 && box.size() < maxLength) {
            box += static_cast<char>(key);
        }
    }
    return box;
}

// A numeric box's rule (DigitKeyRule, ChannelKeyRule), which trims the box on each key.
template <DigitKeyResult (*Rule)(int, std::string_view)>
int Digits(int key, std::string& box) {
    DigitKeyResult result = Rule(key, box);
    box = std::move(result.text);
    return result.key;
}

class Editor {
  public:
    Editor(std::uint8_t setup, Input& in, Operator& op) : op_(op), defaultsWritten_(setup & 2) {
        memory_ =
            LoadedMemory(in, setup & 0x80, setup & (kEnableWide | kEnableNarrow | kEnableDigital));
        for (int index = 100; (setup & 1) != 0 && index < 131; ++index) {  // lists 3 and 4
            ChannelRecord& r = memory_.Rec(index) = memory_.Rec(kFirstChannel);
            r.Prim = r.Chnl = static_cast<std::int16_t>(index);
            r.Scan = ScanOfZone(index < 115 ? 3 : 4);
        }
        memory_.ZoneCounts = Recount(memory_);
        roomy_ = std::ranges::all_of(memory_.ZoneCounts, [](int n) { return n <= 16; });
        Show();
    }
    void Act(Input& in) {
        const std::uint8_t action = in.Byte();
        const bool flag = (action & 0x80) != 0;  // paste rather than type; or the transmit box
        const int box = (action & 0x7F) % 18;
        switch (box) {
            case 0:
                if (EnterChannel(memory_, Enter(in.Text(), flag, 3, Digits<ChannelKeyRule>), op_)) {
                    Show();
                }
                break;
            case 1:
                v().desc = Enter(in.Text(), flag, 8, nullptr);
                break;
            case 2:
            case 3:
                EnterFrequency(box == 3, in.Text(), flag);
                break;
            case 4:
            case 5:
                EnterHex(box == 4 ? v().rxTalkGroup : v().txTalkGroup, v().txTalkGroup, 4,
                         in.Text(), flag, CompleteTalkGroup);
                break;
            case 6:
            case 7:
                EnterHex(box == 6 ? v().rxNac : v().txNac, v().txNac, 3, in.Text(), flag,
                         CompleteNac);
                break;
            case 8:
                v().idCall = Enter(in.Text(), flag, 7, Digits<DigitKeyRule>);
                break;
            case 9: {
                const std::size_t entry = in.Byte();
                v().list = entry < view_.zones.size() ? std::optional(view_.zones[entry].list)
                                                      : std::nullopt;
                break;
            }
            case 10:
                v().scan = !v().scan;
                break;
            case 11:
                if (const int mode = in.Byte() % 3; !view_.shadow) {  // a shadow's is locked
                    v().mode = mode;
                    if (const auto lists = ModeChanged(v(), modeTag_, view_.shadow)) {
                        lists_ = *lists;
                    }
                    FollowSimplex();
                }
                break;
            case 12:
                v().simplex = flag;
                FollowSimplex();
                break;
            case 13:
                (flag ? v().txSquelch : v().rxSquelch) =
                    SquelchCode(flag ? lists_.tx : lists_.rx, in.Byte());
                FollowSimplex();  // with Sx chosen the transmit side is locked: it follows
                break;
            case 14: {
                const std::uint8_t which = in.Byte() % 4, entry = in.Byte();
                int* const lists[] = {&v().rxCtcss, &v().rxDcs, &v().txCtcss, &v().txDcs};
                const std::size_t size = which % 2 == 0 ? CtcssTable().size() : DcsTable().size();
                *lists[which] = entry < size ? entry : -1;  // past the list: nothing chosen
                if (which < 2) {
                    FollowSimplex();
                }
                break;
            }
            case 15:
                Store();
                break;
            case 16:
                ShadowDialog(in, flag);
                break;
            case 17:
                if (const auto level = AcceptNoiseSquelchLevel(
                        Enter(in.Text(), flag, 2, Digits<DigitKeyRule>), op_)) {
                    Require(*level <= 15, "the noise squelch level is 0 to 15");
                    memory_.NoiseSquelchLevel = *level;
                }
                break;
        }
    }

  private:
    EditorValues& v() { return view_.values; }
    void Show() {
        view_ = ViewCurrentChannel(memory_);
        // A box shows as much of what a record holds as it takes.
        const auto fit = [](std::string& box, std::size_t width) {
            box.resize(std::min(box.size(), width));
        };
        fit(v().rxFreq, kFrequencyChars), fit(v().txFreq, kFrequencyChars);
        fit(v().rxTalkGroup, kTalkGroupChars), fit(v().txTalkGroup, kTalkGroupChars);
        fit(v().rxNac, kNacChars), fit(v().txNac, kNacChars), fit(v().idCall, kIdCallChars);
        lists_ = view_.squelch;
        modeTag_ = v().mode;
    }
    // With Sx chosen the transmit side follows every change on the receive side.
    void FollowSimplex() {
        if (v().simplex) {
            ChooseSimplex(v(), view_.shadow);
        }
    }
    void EnterFrequency(bool transmit, std::string_view keys, bool paste) {
        if (view_.shadow || (transmit && v().simplex)) {
            return;  // locked: a shadow takes its primary's, simplex transmit its receive
        }
        std::string& box = transmit ? v().txFreq : v().rxFreq;
        const KeyRule rule = [this](int key, std::string& text) {
            return FrequencyKeyRule(key, static_cast<int>(text.size()) + 1, op_);
        };
        box = Enter(keys, paste, 9, rule);
        FollowSimplex();
        FrequencyFields fields{v().rxFreq, v().txFreq, v().simplex};
        const bool cancel =
            transmit ? LeaveTxFrequency(fields, op_) : LeaveRxFrequency(fields, op_);
        Require(cancel || AcceptedFrequency(transmit ? fields.tx : fields.rx),
                "a frequency the leave rule accepts is accepted again as it stands");
        std::tie(v().rxFreq, v().txFreq) = std::tie(fields.rx, fields.tx);
    }
    void EnterHex(std::string& box, std::string& follower, std::size_t maxLength,
                  std::string_view keys, bool paste, std::string (*complete)(std::string_view)) {
        const KeyRule rule = [this](int key, std::string&) { return HexKeyRule(key, op_); };
        box = complete(Enter(keys, paste, maxLength, rule));
        Require(box.size() == maxLength, "a talk group or NAC is completed to its width");
        if (&box != &follower && v().simplex) {
            follower = box;
        }
    }
    void Store() {
        const int c = memory_.Current;
        const ChannelMemory before = memory_;
        const StoreOutcome outcome =
            StoreChannel(memory_, v(), op_, [this] { return defaultsWritten_; });
        if (!outcome.stored) {
            Require(SameRecords(memory_, before) && memory_.ZoneCounts == before.ZoneCounts,
                    "a refused store changes nothing");
            v().rxFreq = outcome.frequencies.rx;
            v().txFreq = outcome.frequencies.tx;
            return;
        }
        const ChannelRecord &r = memory_.Rec(c), &was = before.Rec(c);
        const SquelchLists offered = SquelchListsFor(r.Mode, r.IsShadow());
        // A tone or code position the list cannot show was no choice: the record keeps it.
        Require(ModeFlag(r.Mode) != 0 && (!CtcssText(r.RCTCSS).empty() || r.RCTCSS == was.RCTCSS) &&
                    (!CtcssText(r.TCTCSS).empty() || r.TCTCSS == was.TCTCSS) &&
                    (!DcsText(r.RDCS).empty() || r.RDCS == was.RDCS) &&
                    (!DcsText(r.TDCS).empty() || r.TDCS == was.TDCS) &&
                    SquelchPosition(offered.rx, r.RSql) && SquelchPosition(offered.tx, r.TSql),
                "a stored channel has a mode, tones and codes inside their tables (or kept) and "
                "squelch modes its mode's lists offer");
        Require(r.RTG.View().substr(4) == "  " && r.TTG.View().substr(4) == "  " &&
                    r.RNAC.View().substr(3) == "   " && r.TNAC.View().substr(3) == "   " &&
                    r.RFrq.View().substr(8) == "  " && r.TFrq.View().substr(8) == "  " &&
                    AcceptedFrequency(DisplayFrequency(r.RFrq.View())) &&
                    AcceptedFrequency(DisplayFrequency(r.TFrq.View())) &&
                    IdCallText(r.IDCall) == outcome.idCall,
                "a stored channel's texts fit, its frequencies shown as the leave rule takes them, "
                "the ID call box the digits stored");
        // Only a channel marked as a primary hands its frequencies on, though its slots may
        // name shadows without the mark.
        for (const int s : r.HasShadows() ? ShadowsOf(memory_, c) : std::vector<int>{}) {
            Require(memory_.Rec(s).RFrq == r.RFrq && memory_.Rec(s).TFrq == r.TFrq,
                    "shadows take their primary's frequencies");
        }
        CheckZoneCounts(memory_, roomy_);  // a store offers no full list
        for (int changed : outcome.changedRecords) {
            CheckSummaryLine(memory_, changed);  // the list shows these lines afresh
        }
        // Showing the stored channel and storing it again, untouched, changes nothing.
        ChannelMemory again = memory_;
        again.Current = static_cast<std::int16_t>(c);
        AnsweringOperator quiet;
        Require(StoreChannel(again, ViewCurrentChannel(again).values, quiet, [] { return true; })
                        .stored &&
                    SameRecords(again, memory_) && again.ZoneCounts == memory_.ZoneCounts,
                "a stored channel shown and stored again stays as it is");
        Show();
    }
    void ShadowDialog(Input& in, bool paste) {
        const std::string_view primaryKeys = in.Text(), shadowKeys = in.Text();
        // The dialog proposes a primary with its text selected: typing replaces it.
        const std::string primary = primaryKeys.empty()
                                        ? ProposedPrimary(memory_)
                                        : Enter(primaryKeys, paste, 3, Digits<DigitKeyRule>);
        const std::string shadow = Enter(shadowKeys, paste, 3, Digits<DigitKeyRule>);
        if (JudgeShadowNumbers(memory_, primary, shadow, op_) != ShadowDialogResult::Accepted) {
            return;
        }
        const auto created = CreateShadow(memory_, primary, shadow);
        Require(created.has_value(), "a pair the shadow dialog accepts makes a shadow");
        CheckZoneCounts(memory_);
        CheckSummaryLine(memory_, memory_.Rec(created->shadow).Prim);
        CheckSummaryLine(memory_, created->shadow);
        Show();
    }
    Operator& op_;
    bool defaultsWritten_;
    bool roomy_ = true;  // no list started with more than 16 channels
    ChannelMemory memory_;
    ChannelView view_;
    SquelchLists lists_;
    int modeTag_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    AnsweringOperator op;
    Input in(data + 1, size - 1);
    Editor editor(data[0], in, op);
    // Sixty-four actions make a long editing session; longer inputs only repeat what shorter
    // ones reach, at a cost per run.
    for (int actions = 0; !in.Done() && actions < 64; ++actions) {
        editor.Act(in);
    }
    return 0;
}
