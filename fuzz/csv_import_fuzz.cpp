// A CSV plan, whatever its bytes: refused whole or loaded whole, and a loaded plan exports and
// imports back to the same plan.
#include "csv.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kld;
    using namespace kld::fuzz;
    const ChannelMemory start = StartMemory();
    ChannelMemory memory = start;
    const Result<CsvImport> result = ImportCsv({data, size}, memory);
    if (!result) {
        // A refusal a line, each naming its line first (a quoted cell may hold a line end).
        const std::string& refusals = result.Error().detail;
        Require(refusals.starts_with("Line ") && refusals.ends_with('\n'),
                "a refused plan says why, line by line");
        Require(SameRecords(memory, start) && memory.ZoneCounts == start.ZoneCounts &&
                    memory.Current == start.Current && memory.Saved == start.Saved,
                "a refused plan leaves the memory untouched");
        return 0;
    }
    Require(memory.Rec(kRecordSlots - 1) == start.Rec(kRecordSlots - 1),
            "the spare record is nobody's to write");
    CheckZoneCounts(memory);
    CheckNoListOverfull(memory);

    // Exported and imported again, the plan is the same plan.
    const std::string csv = ExportCsv(memory);
    ChannelMemory again = start;
    const bool reread =
        ImportCsv({reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()}, again).Ok();
    Require(reread, "an exported plan imports");
    Require(ExportCsv(again) == csv, "export, import and export again give the same plan");

    // Every cell passed the editor's rules, so the memory check finds nothing invalid.
    Require(Exercise(memory) == 0, "an imported plan holds no invalid data");
    return 0;
}
