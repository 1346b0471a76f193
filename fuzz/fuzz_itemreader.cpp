// Fuzz target for the item reader that both data files are read with: bytes
// are decoded from the code page, read as items (the site list's way) and as
// cards (the card file's way), put through the card store's table, written
// back and read again. Any broken promise aborts, which the fuzzer reports
// as a crash with the input that caused it.
#include "format/ansitext.h"
#include "format/cardstore.h"
#include "fuzzcheck.h"
#include "format/itemfile.h"

#include <cstdint>

using namespace kinfolio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    // Every byte is one character, and comes back as the same byte.
    const QString text = AnsiText::decode(bytes);
    check(text.size() == bytes.size(), "decoding changed the length");
    check(AnsiText::encode(text) == bytes, "the bytes did not survive decoding and encoding");

    // Items one after another, as the site list is read: each item read
    // moves the reader on.
    {
        ItemReader reader(bytes);
        QByteArrayView item;
        qsizetype items = 0;
        while (!reader.atEnd() && reader.readItem(item))
            check(++items <= bytes.size(), "an item was read without moving on");
    }

    // Cards until one is cut short, as the card file is loaded. A field
    // holds a double quote only where the file kept it as the reference
    // &#34; (a bare one in an unquoted item becomes the curly quote); the
    // written bytes below show that it goes back as the reference.
    CardStore store;
    const bool whole = store.readCards(bytes).ok();
    check(whole || store.loadResult() != CardStore::LoadResult::Loaded, "a failed read reports success");
    for (int i = 0; i < store.cardCount(); ++i) {
        for (int f = 0; f < CardFieldCount; ++f)
            check(!store.text(i, CardField(f)).contains(u'"') || bytes.contains("&#34;"),
                  "a field kept a bare double quote");
    }

    // Written back, the cards read again whole and as they were, and give the
    // same bytes; the same cards added field by field give them too.
    const QByteArray written = store.cardFileBytes();
    CardStore again;
    check(again.readCards(written).ok(), "written cards did not read back to the end");
    check(again.cardCount() == store.cardCount(), "written cards read back as another number");
    check(again.cardFileBytes() == written, "written cards did not write back the same bytes");
    // Added field by field, they keep their text, with accents composed; only
    // references the program would not write (a combining accent, say) may
    // come out as other bytes.
    CardStore added;
    for (int i = 0; i < store.cardCount(); ++i) {
        check(added.appendCard(store.fields(i)), "the store refused a card below its limit");
        check(again.fields(i) == store.fields(i), "written cards read back differently");
        for (int f = 0; f < CardFieldCount; ++f) {
            check(added.text(i, CardField(f)) == store.text(i, CardField(f)).normalized(QString::NormalizationForm_C),
                  "a field added again read back as other text");
        }
    }
    if (!written.contains("&#"))
        check(added.cardFileBytes() == written, "cards added field by field gave other bytes");

    if (store.cardCount() > 0) {
        const CardFields second = store.cardCount() > 1 ? store.fields(1) : CardFields{};
        const qint16 count = store.cardCount();
        store.removeCard(0);
        check(store.cardCount() == count - 1, "removeCard did not remove one card");
        if (count > 1)
            check(store.fields(0) == second, "removeCard did not move the next card up");
    }
    return 0;
}
