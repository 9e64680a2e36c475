#include "compare.h"

#include <algorithm>
#include <array>
#include <functional>

#include "field_rules.h"
#include "shown_text.h"
#include "tables.h"

namespace kld {

namespace {

// One compared field: how it shows, and what it holds. Rows come from what the field holds, so
// that two values that happen to show alike (two control characters, two tone positions
// outside the table) still count as different; such a row names what they hold as well.
struct Field {
    std::string name;
    std::function<std::string(const ChannelRecord&)> shown;
    std::function<std::string(const ChannelRecord&)> held;
    // Shown only where the summary line has its list columns (and the editor its List and Scan
    // boxes): not for shadows, which take their primary's, nor for the guards. Elsewhere such a
    // field counts as blank, whatever the record keeps there for the radio.
    bool listColumns = false;
};

bool ShowsListColumns(const ChannelRecord& r, int index) {
    return !r.IsShadow() && index < kGuard1;
}

std::string YesNo(bool value) {
    return value ? "yes" : "no";
}

std::string Text(std::string_view text) {
    return ShownText(Unpadded(text));
}

// What a text field holds, blanks around it aside, with each byte that does not show as itself
// written as "\xNN": the last word when two values show alike.
std::string Held(std::string_view text) {
    std::string held;
    for (const char c : Unpadded(text)) {
        if (kShown.of[static_cast<unsigned char>(c)] == c) {
            held += c;
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(c);
            held += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        }
    }
    return held;
}

std::string Number(int value) {
    return std::to_string(value);
}

std::string Zone(const ChannelRecord& r) {
    const int zone = ZoneOf(r.Scan) + 1;  // as the summary shows it: two digits, 01 to 16
    return std::string{static_cast<char>('0' + zone / 10), static_cast<char>('0' + zone % 10)};
}

std::string Mode(const ChannelRecord& r) {
    const auto code = ModeCode(r.Mode);
    return std::string(1, code ? static_cast<char>(*code) : '?');
}

// A primary's shadows, in channel order: which slot of its list each took is the radio's
// business, and shows nowhere.
std::vector<int> ShadowChannels(const ChannelRecord& r) {
    std::vector<int> shadows;
    for (int slot = 0; slot < kShadowSlots; ++slot) {
        if (const int shadow = r.ShadList[static_cast<std::size_t>(slot)]; shadow != 0) {
            shadows.push_back(shadow);
        }
    }
    std::sort(shadows.begin(), shadows.end());
    return shadows;
}

std::string Shadows(const ChannelRecord& r, std::string (*format)(int)) {
    std::string text;
    for (const int shadow : ShadowChannels(r)) {
        text += (text.empty() ? "" : " ") + format(shadow);
    }
    return text;
}

// The fields of each direction, named "Rx ..." and "Tx ...".
template <auto Sql, auto Freq, auto Ctcss, auto Dcs, auto Tg, auto Nac>
void AddDirection(std::vector<Field>& fields, const std::string& side) {
    const auto name = [&side](const char* what) { return side + " " + what; };
    const auto text = [](auto member) {
        return [member](const ChannelRecord& r) { return Text((r.*member).View()); };
    };
    const auto heldText = [](auto member) {
        return [member](const ChannelRecord& r) { return Held((r.*member).View()); };
    };
    const auto held = [](auto member) {
        return [member](const ChannelRecord& r) { return Number(r.*member); };
    };
    fields.push_back({name("Frequency"), text(Freq), heldText(Freq)});
    fields.push_back({name("Squelch"),
                      [](const ChannelRecord& r) { return std::string(1, ShownCode(r.*Sql)); },
                      held(Sql)});
    fields.push_back({name("Tone"),
                      [](const ChannelRecord& r) { return std::string(CtcssText(r.*Ctcss)); },
                      held(Ctcss)});
    fields.push_back({name("DCS"),
                      [](const ChannelRecord& r) { return std::string(DcsText(r.*Dcs)); },
                      held(Dcs)});
    fields.push_back({name("Talk Group"), text(Tg), heldText(Tg)});
    fields.push_back({name("NAC"), text(Nac), heldText(Nac)});
}

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = [] {
        std::vector<Field> f;
        const auto desc = [](const ChannelRecord& r) { return Text(r.Desc.View()); };
        const auto rawDesc = [](const ChannelRecord& r) { return Held(r.Desc.View()); };
        f.push_back({"Description", desc, rawDesc});
        // Scan's low bits are the radio's own (the guards' tell them apart), never shown.
        f.push_back({"List", Zone, Zone, true});
        const auto scan = [](const ChannelRecord& r) { return YesNo(r.IsScanMember()); };
        f.push_back({"Scan", scan, scan, true});
        f.push_back({"Mode", Mode, [](const ChannelRecord& r) { return Number(r.Mode); }});
        AddDirection<&ChannelRecord::RSql, &ChannelRecord::RFrq, &ChannelRecord::RCTCSS,
                     &ChannelRecord::RDCS, &ChannelRecord::RTG, &ChannelRecord::RNAC>(f, "Rx");
        AddDirection<&ChannelRecord::TSql, &ChannelRecord::TFrq, &ChannelRecord::TCTCSS,
                     &ChannelRecord::TDCS, &ChannelRecord::TTG, &ChannelRecord::TNAC>(f, "Tx");
        // The radio keeps the seven digits in elements 0 to 3; element 4 never leaves the file.
        const auto idCall = [](const ChannelRecord& r) { return IdCallText(r.IDCall); };
        f.push_back({"ID Call", idCall, [](const ChannelRecord& r) {
                         return Number(r.IDCall[0]) + " " + Number(r.IDCall[1]) + " " +
                                Number(r.IDCall[2]) + " " + Number(r.IDCall[3]);
                     }});
        f.push_back(
            {"Primary",
             [](const ChannelRecord& r) {
                 return r.IsShadow() ? Format000(r.Prim) : std::string();
             },
             [](const ChannelRecord& r) { return r.IsShadow() ? Number(r.Prim) : std::string(); }});
        // A shadow carries a copy of its primary's list, as it was when the shadow was made or
        // as the radio sent it; only the primary's own is shown.
        f.push_back({"Shadows", [](const ChannelRecord& r) { return Shadows(r, Format000); },
                     [](const ChannelRecord& r) { return Shadows(r, Number); }, true});
        return f;
    }();
    return fields;
}

}  // namespace

std::vector<FieldDifference> CompareMemories(const ChannelMemory& a, const ChannelMemory& b) {
    std::vector<FieldDifference> rows;
    for (int index = 0; index <= kLastRecord; ++index) {
        const ChannelRecord& ra = a.Rec(index);
        const ChannelRecord& rb = b.Rec(index);
        const auto add = [&](std::string field, std::string inA, std::string inB) {
            rows.push_back(
                {index, ChannelBoxText(index), std::move(field), std::move(inA), std::move(inB)});
        };
        if (ra.IsDefined() != rb.IsDefined()) {
            add("Defined", YesNo(ra.IsDefined()), YesNo(rb.IsDefined()));
            continue;
        }
        if (!ra.IsDefined()) {
            continue;
        }
        if (ra.IsErased() != rb.IsErased()) {
            add("Erase mark", YesNo(ra.IsErased()), YesNo(rb.IsErased()));
            continue;
        }
        if (ra.IsErased()) {
            continue;
        }
        const bool listColumnsA = ShowsListColumns(ra, index);
        const bool listColumnsB = ShowsListColumns(rb, index);
        for (const Field& field : Fields()) {
            const bool shownA = !field.listColumns || listColumnsA;
            const bool shownB = !field.listColumns || listColumnsB;
            const std::string heldA = shownA ? field.held(ra) : std::string();
            const std::string heldB = shownB ? field.held(rb) : std::string();
            if (heldA == heldB) {
                continue;
            }
            std::string inA = shownA ? field.shown(ra) : std::string();
            std::string inB = shownB ? field.shown(rb) : std::string();
            if (inA == inB) {
                inA += " (" + heldA + ")";
                inB += " (" + heldB + ")";
            }
            add(field.name, std::move(inA), std::move(inB));
        }
    }
    return rows;
}

std::string DiffText(const std::vector<FieldDifference>& rows) {
    if (rows.empty()) {
        return {};
    }
    // A blank value would leave a hole a reader cannot tell from a misaligned column.
    const auto value = [](const std::string& text) {
        return text.empty() ? std::string("(blank)") : text;
    };
    std::array<std::size_t, 3> width{4, 5, 1};  // "Chan", "Field", "A"
    for (const FieldDifference& row : rows) {
        width[0] = std::max(width[0], row.label.size());
        width[1] = std::max(width[1], row.field.size());
        width[2] = std::max(width[2], value(row.inA).size());
    }
    std::string text;
    const auto line = [&](const std::string& label, const std::string& field,
                          const std::string& inA, const std::string& inB) {
        const auto cell = [&text](const std::string& s, std::size_t w) {
            text += s;
            text.append(w - s.size() + 2, ' ');
        };
        cell(label, width[0]);
        cell(field, width[1]);
        cell(inA, width[2]);
        text += inB;
        text += '\n';
    };
    line("Chan", "Field", "A", "B");
    for (const FieldDifference& row : rows) {
        line(row.label, row.field, value(row.inA), value(row.inB));
    }
    return text;
}

}  // namespace kld
