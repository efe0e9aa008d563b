// libFuzzer target for the CSV reader: any bytes, read with the columns their own header
// names and a field limit taken from the input; quoting a field and reading it back must
// give the field again.

#include "formats/Csv.h"
#include "formats/TextRules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void roundTrip(std::string_view field) {
    // An empty field alone on a line is a blank line, which carries no record.
    if (field.empty()) return;
    kv::formats::CsvReader csv;
    if (!csv.openText("q.csv", "v\n" + kv::formats::csvField(field) + "\n", {"v"}) || !csv.next() ||
        csv.field(0) != field)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    kv::formats::CsvReader names;
    if (!names.openText("h.csv", text, {})) return 0;
    std::vector<std::string> required = names.header();
    if (required.size() > 4) required.resize(4);
    kv::formats::CsvReader csv;
    if (!csv.openText("f.csv", text, required)) return 0;
    if (!required.empty()) csv.setFieldLimit(0, size_t(data[0]) * 4);
    int records = 0;
    while (csv.next() && ++records < 10000) {
        for (size_t i = 0; i < required.size(); ++i) {
            const std::string_view f = csv.field(i);
            if (!kv::formats::isValidUtf8(f)) std::abort();
            (void)kv::formats::textProblem(f);
            if (i == 0 && f.size() > size_t(data[0]) * 4) std::abort();
            roundTrip(f);
        }
    }
    return 0;
}
