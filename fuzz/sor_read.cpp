// The SOR reader on any bytes (libFuzzer hands them over in a buffer of exactly their size,
// so a read beyond them is caught). A file it refuses gets a reading problem that names a
// field and an offset inside the file, in words of both languages. A file it accepts has its blocks
// where the Map says, one after the other; written back, it reads back equal, blocks it does not
// know included, and writing that again gives the same bytes. Its identity rewritten, it
// reads back with the new texts, every other block unchanged.
#include <span>
#include <vector>

#include "fuzz_check.h"
#include "sor/sor_edit.h"
#include "sor/sor_io.h"
#include "sor/sor_strings.h"

using namespace tracelink;
using namespace tracelink::sor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const SorResult<SorFile> first = ReadSor(std::span<const std::uint8_t>(data, size));
  if (!first.ok()) {
    const SorProblem& p = first.problem();
    FUZZ_CHECK(!isExportCode(p.code));
    FUZZ_CHECK(!p.field.empty());
    FUZZ_CHECK(p.offset <= size);
    FUZZ_CHECK(first.error().text() == problemText(p, Language::English));
    FUZZ_CHECK(!problemText(p, Language::Chinese).empty());
    return 0;
  }
  std::size_t end =
      first->blocks.empty() ? size - first->trailing.size() : first->blocks.front().offset;
  for (const Block& blk : first->blocks) {
    FUZZ_CHECK(blk.offset == end);
    end += blk.ref.size;
  }
  FUZZ_CHECK(end + first->trailing.size() == size);
  const std::vector<std::uint8_t> written = WriteSor(*first);
  const SorResult<SorFile> second = ReadSor(written);
  if (!second.ok()) std::fprintf(stderr, "written back: %s\n", second.error().text().c_str());
  FUZZ_CHECK(second.ok());
  const SorFile& a = *first;
  const SorFile& b = *second;
  FUZZ_CHECK(a.version == b.version);
  FUZZ_CHECK(a.mapVersion == b.mapVersion);
  FUZZ_CHECK(a.blocks.size() == b.blocks.size());
  for (std::size_t i = 0; i < a.blocks.size(); ++i) {
    FUZZ_CHECK(a.blocks[i].ref.name == b.blocks[i].ref.name);
    FUZZ_CHECK(a.blocks[i].kind == b.blocks[i].kind);
    // A maker's own block survives byte for byte.
    if (a.blocks[i].kind == BlockKind::Other) FUZZ_CHECK(a.blocks[i] == b.blocks[i]);
  }
  FUZZ_CHECK(a.genParams == b.genParams);
  FUZZ_CHECK(a.supParams == b.supParams);
  FUZZ_CHECK(a.fxdParams == b.fxdParams);
  FUZZ_CHECK(a.keyEvents == b.keyEvents);
  FUZZ_CHECK(a.dataPts == b.dataPts);
  FUZZ_CHECK(a.trailing == b.trailing);
  bool hasCksum = false;
  for (const Block& blk : b.blocks) hasCksum = hasCksum || blk.kind == BlockKind::Cksum;
  if (hasCksum) FUZZ_CHECK(b.checksum.status == ChecksumStatus::Ok);
  FUZZ_CHECK(WriteSor(b) == written);

  const std::span<const std::uint8_t> input(data, size);
  IdentityTexts texts = IdentityOf(input);
  texts.cable = "C-1";
  texts.comment += "!";
  const SorResult<std::vector<std::uint8_t>> edited = RewriteIdentity(input, texts);
  if (!edited.ok()) {
    // A comment that was no printable ASCII before stays none; no GenParams, no texts.
    FUZZ_CHECK(edited.problem().code ==
               (a.genParams ? SorCode::ExportNotAscii : SorCode::EditNoGenParams));
  } else {
    const SorResult<SorFile> c = ReadSor(*edited);
    FUZZ_CHECK(c.ok());
    FUZZ_CHECK(IdentityOf(*edited) == texts);
    FUZZ_CHECK(c->blocks.size() == a.blocks.size());
    for (std::size_t i = 0; i < a.blocks.size(); ++i)
      if (a.blocks[i].kind == BlockKind::Other) FUZZ_CHECK(c->blocks[i] == a.blocks[i]);
    FUZZ_CHECK(c->trailing == a.trailing);
  }
  return 0;
}
