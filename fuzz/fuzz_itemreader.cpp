// Fuzz target for the item reader that both data files are read with: bytes
// are decoded from the code page, read as items (the site list's way) and as
// cards (the card file's way), put through the card store's table, written
// back and read again. Any broken promise aborts, which the fuzzer reports
// as a crash with the input that caused it.
#include "ansitext.h"
#include "cardfile.h"
#include "cardstore.h"
#include "itemfile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace kinfolio;

namespace {

void check(bool promise, const char *what)
{
    if (!promise) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

std::vector<CardFields> readCards(const QString &text, bool *toTheEnd)
{
    std::vector<CardFields> cards;
    ItemReader reader(text);
    while (!reader.atEnd() && cards.size() < size_t(CardStore::MaxCards)) {
        CardFields card;
        if (!readCard(reader, card)) {
            *toTheEnd = false;
            return cards;
        }
        cards.push_back(card);
    }
    *toTheEnd = reader.atEnd();
    return cards;
}

// A double quote inside a field cannot be written: the format has no escape.
bool writable(const std::vector<CardFields> &cards)
{
    for (const CardFields &card : cards)
        for (const QString &text : card.texts)
            if (text.contains(u'"'))
                return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    // Every byte is one character, and comes back as the same byte.
    const QString text = AnsiText::decode(bytes);
    check(text.size() == bytes.size(), "decoding changed the length");
    check(AnsiText::encode(text) == bytes, "the bytes did not survive decoding and encoding");

    // Items one after another, as the site list is read; both forms of
    // readItem agree, and each item read moves the reader on.
    {
        ItemReader copies(text);
        ItemReader views(text);
        QString item;
        QStringView view;
        qsizetype items = 0;
        while (!copies.atEnd()) {
            const bool read = copies.readItem(item);
            check(views.readItem(view) == read, "the two forms of readItem disagree on success");
            if (!read)
                break;
            check(item == view, "the two forms of readItem read different items");
            check(++items <= text.size(), "an item was read without moving on");
        }
        check(copies.atEnd() == views.atEnd(), "the two forms of readItem stopped at different places");
    }

    // Cards until one is cut short, as the card file is loaded.
    bool toTheEnd = false;
    const std::vector<CardFields> cards = readCards(text, &toTheEnd);

    // The store's packed table gives every card back as it was added.
    CardStore store(QStringLiteral("/nonexistent/Kinfolio.dat"));
    for (const CardFields &card : cards)
        check(store.AppendCard(card), "the store refused a card below its limit");
    for (size_t i = 0; i < cards.size(); ++i) {
        check(store.fields(int(i)) == cards[i], "the store changed a card");
        for (int f = 0; f < CardFieldCount; ++f)
            check(store.text(int(i), CardField(f)) == cards[i][f], "the store changed a field");
    }
    if (!cards.empty()) {
        store.setCurrentCard(0);
        store.RemoveCard();
        check(store.CardCount() == qint16(cards.size() - 1), "RemoveCard did not remove one card");
        if (cards.size() > 1)
            check(store.fields(0) == cards[1], "RemoveCard did not move the next card up");
    }

    // Written back, the cards read again as they were, and writing those
    // gives the same text, unless a field holds a double quote.
    QString written;
    for (const CardFields &card : cards)
        writeCard(written, card);
    check(AnsiText::decode(AnsiText::encode(written)) == written, "written text does not survive the code page");
    bool againToTheEnd = false;
    const std::vector<CardFields> again = readCards(written, &againToTheEnd);
    if (writable(cards)) {
        check(againToTheEnd, "written cards did not read back to the end");
        check(again == cards, "written cards read back differently");
    }
    return 0;
}
