// Version blocks fuzzed: over any bytes, a block that can be walked has a root that can be read,
// no value is given room past the bytes, a text never outgrows its room, and the translation
// chosen for any user and system is the default for an empty table, else an entry of the table.
#include "component/version/version_block.h"
#include "tests/support/fuzz_check.h"

#include <algorithm>
#include <cstdint>

using tavrin::fuzz::check;

using namespace brindle::version;

namespace {

std::uint16_t word(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

void check_choice(const std::vector<translation>& table, const locale_answers& locale) {
    const translation chosen = choose_translation(table, locale);
    if (table.empty()) return check(chosen == default_translation);
    check(std::find(table.begin(), table.end(), chosen) != table.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check(!block_is_walkable(data, size) || root_is_walkable(data, size));
    const std::size_t step = std::max<std::size_t>(2, size / 64);
    for (std::size_t offset = 0; offset <= size + 2; offset += step) {
        const std::size_t room = value_room(data, size, offset);
        check(offset > size ? room == 0 : room <= size - offset);
        check(read_text(data, size, offset, room / 2 + 1).size() <= room / 2);
        check(value_fits(data, size, offset, room) == (offset <= size));
    }
    if (size >= 6) {
        const std::vector<translation> table = parse_translations(data + 6, size - 6);
        check(table.size() == (size - 6) / 4);
        check_choice(table, {word(data), word(data + 2), word(data + 4)});
    }
    return 0;
}
