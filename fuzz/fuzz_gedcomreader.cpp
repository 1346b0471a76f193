// Fuzz target for the GEDCOM reader and the import's mapping: bytes are read
// as a GEDCOM file in any character set and, when they are one, made into
// cards. The cards are written as the card file holds them and read back,
// and must come back as they were; their export must read as GEDCOM again
// and export to the same bytes once more. A broken promise aborts, which the
// fuzzer reports with the input; an input that never finishes is a hang.
#include "format/cardstore.h"
#include "fuzzcheck.h"
#include "gedcomexport.h"
#include "gedcomimport.h"
#include "gedcomreader.h"

#include <cstdint>

using namespace kinfolio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    Gedcom::GedcomFile file;
    if (const Result<> read = file.read(bytes); !read) {
        check(!read.error().isEmpty(), "a refused file gave no reason");
        return 0;
    }
    // Each line's structures lie within it, after it.
    const qsizetype lines = file.lineCount();
    for (qsizetype i = 0; i < lines; ++i)
        check(file.end(i) > i && file.end(i) <= lines, "a line's structures reach outside it");

    std::vector<CardFields> cards = Gedcom::toCards(file);
    if (cards.size() > size_t(CardStore::MaxCards))
        cards.resize(size_t(CardStore::MaxCards));
    CardStore store;
    for (const CardFields &card : cards)
        check(store.appendCard(card), "the store refused a card below its limit");
    CardStore again;
    check(again.readCards(store.cardFileBytes()).ok(), "written cards did not read back to the end");
    check(again.cardCount() == store.cardCount(), "written cards read back as another number");
    for (int i = 0; i < again.cardCount(); ++i)
        check(again.fields(i) == cards[size_t(i)], "a card read back differently");

    const QByteArray exported = Gedcom::fromCards(cards);
    Gedcom::GedcomFile back;
    check(back.read(exported).ok(), "the export of the cards did not read as GEDCOM");
    check(Gedcom::fromCards(Gedcom::toCards(back)) == exported, "the export of the cards did not export the same");
    return 0;
}
