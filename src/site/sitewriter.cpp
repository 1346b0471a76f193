#include "sitewriter.h"

#include "session/cardfileread.h"
#include "files/safefile.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>


// The script and style sheet are built into the library; a static
// library's resources are registered by hand.
static void registerSiteAssets()
{
    Q_INIT_RESOURCE(site);
}

namespace kinfolio::Site {

namespace {

// The folder itself, a link to it followed, so that the site is renamed
// into the place the link leads to and the link stays.
QString targetOf(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.isSymLink() && info.exists())
        return QFileInfo(info.canonicalFilePath()).absoluteFilePath();
    return QDir::cleanPath(info.absoluteFilePath());
}

// A new folder beside `target` with a name nothing else uses.
Result<QString> newFolderBeside(const QString &target, const char *purpose)
{
    const QFileInfo info(target);
    QDir parent = info.dir();
    for (int n = 1; n < 1000; ++n) {
        const QString name = QStringLiteral(".%1.%2-%3-%4")
                                 .arg(info.fileName(), QLatin1String(purpose),
                                      QString::number(QCoreApplication::applicationPid()), QString::number(n));
        if (QFileInfo::exists(parent.filePath(name)))
            continue;
        if (parent.mkdir(name))
            return parent.filePath(name);
        break;
    }
    return Failure{QStringLiteral("could not make a folder beside %1 to write the site into (is the folder "
                                  "writable?)")
                       .arg(target)};
}

// Removes the folder it holds unless told the folder is kept.
class FolderGuard
{
public:
    explicit FolderGuard(QString path)
        : m_path(std::move(path))
    {
    }
    ~FolderGuard()
    {
        if (!m_path.isEmpty())
            QDir(m_path).removeRecursively();
    }
    void keep() { m_path.clear(); }

private:
    QString m_path;
};

// Removes the new folders that runs killed before they finished left beside
// `target` (their program is gone). Such a folder holds a site half written,
// or an earlier site that a whole one already replaced; the earlier site a
// run moved aside is never among them.
void removeAbandonedWork(const QString &target)
{
    const QFileInfo info(target);
    const QString prefix = QLatin1Char('.') + info.fileName() + QLatin1String(".new-");
    QDir parent = info.dir();
    for (const QString &name : parent.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (!name.startsWith(prefix))
            continue;
        bool isNumber = false;
        const qint64 pid = name.mid(prefix.size()).section(u'-', 0, 0).toLongLong(&isNumber);
        if (isNumber && pid > 0 && !isProcessRunning(pid, QString()))
            QDir(parent.filePath(name)).removeRecursively();
    }
}

bool isSiteFolder(const QString &path)
{
    return QFileInfo(QDir(path).filePath(QLatin1String(MarkerFile))).isFile();
}

} // namespace

std::optional<QString> folderRefusal(const QString &folder, const QString &cardFile)
{
    const QFileInfo given(folder);
    if (given.exists() && !given.isDir())
        return isSameFile(folder, cardFile)
                   ? QStringLiteral("%1 is the card file itself; name a folder for the site, e.g. family-site")
                         .arg(folder)
                   : QStringLiteral("%1 is a file, not a folder; the site is written into a folder").arg(folder);
    const QString target = targetOf(folder);
    const QFileInfo info(target);
    if (!info.exists()) {
        if (info.isSymLink())
            return QStringLiteral("%1 is a link that leads nowhere").arg(folder);
        if (!QFileInfo(info.absolutePath()).isDir())
            return QStringLiteral("the folder %1, in which %2 would be made, does not exist")
                .arg(info.absolutePath(), folder);
        return std::nullopt;
    }
    const QString card = QFileInfo(resolvedFilePath(cardFile)).absoluteFilePath();
    const QString canonical = info.canonicalFilePath();
    if (card.startsWith(canonical + u'/') || canonical == QLatin1String("/"))
        return QStringLiteral("%1 holds the card file %2; the site replaces its folder whole, so name another "
                              "folder")
            .arg(folder, cardFile);
    if (isSiteFolder(target))
        return std::nullopt;
    if (!QDir(target).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return QStringLiteral("%1 holds files that kinfolio-site did not write; name a new or empty folder "
                              "(nothing in it was changed)")
            .arg(folder);
    return std::nullopt;
}

Result<WriteCounts> writeSite(const QString &cardFile, const QString &folder, SiteOptions options, int thisYear,
                              const Progress &progress)
{
    if (const std::optional<QString> refusal = folderRefusal(folder, cardFile))
        return Failure{*refusal};
    Result<CardFileContents> read = readCardFile(cardFile);
    if (!read)
        return Failure{read.error()};
    std::vector<CardFields> &cards = read->cards;
    const QStringList &notes = read->notes;
    // An empty site would replace a good one where the wrong card file was named.
    if (cards.empty())
        return Failure{QStringLiteral("the card file %1 holds no cards: there is nothing to put on a site").arg(cardFile)};
    // The same letters written two ways (é as one character or as e and an
    // accent) are one name to the search and the surnames.
    for (CardFields &card : cards) {
        for (QString &text : card.texts) {
            if (!text.isEmpty())
                text = text.normalized(QString::NormalizationForm_C);
        }
    }
    if (options.title.trimmed().isEmpty())
        options.title = QFileInfo(cardFile).absoluteDir().dirName();
    options.title = options.title.normalized(QString::NormalizationForm_C);
    options.madeFrom = QFileInfo(cardFile).fileName();

    const SiteModel model(cards, thisYear);
    const SitePages pages(model, options);
    const int cardCount = int(cards.size());
    const int surnameCount = int(model.surnames().size());
    const int peoplePages = pages.peoplePageCount();
    const int total = 4 + cardCount + surnameCount + peoplePages;

    const QString target = targetOf(folder);
    removeAbandonedWork(target);
    const Result<QString> newFolder = newFolderBeside(target, "new");
    if (!newFolder)
        return Failure{newFolder.error()};
    const QString &fresh = *newFolder;
    FolderGuard freshGuard(fresh);
    const QDir dir(fresh);
    for (const char *sub : {"assets", "cards", "surnames", "people"}) {
        if (!dir.mkdir(QLatin1String(sub)))
            return Failure{QStringLiteral("could not make the folder %1").arg(dir.filePath(QLatin1String(sub)))};
    }
    // Each page goes to the disk before the site is put in place, and a
    // page's sync mostly waits on the disk: the pages are made and written
    // by several threads at once, so the waits overlap.
    struct Page
    {
        QString name;
        std::function<QByteArray()> bytes;
    };
    std::vector<Page> jobs;
    jobs.reserve(size_t(total));
    registerSiteAssets();
    const auto asset = [](const char *name) {
        return [name] {
            QFile file(QStringLiteral(":/site/") + QLatin1String(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
    };
    jobs.push_back({QStringLiteral("assets/site.css"), asset("site.css")});
    jobs.push_back({QStringLiteral("assets/site.js"), asset("site.js")});
    jobs.push_back({QStringLiteral("assets/search-index.js"), [&] { return pages.searchIndex(); }});
    jobs.push_back({QStringLiteral("index.html"), [&] { return pages.indexPage(); }});
    for (int card = 0; card < cardCount; ++card)
        jobs.push_back({SitePages::cardPath(card), [&pages, card] { return pages.cardPage(card); }});
    for (int s = 0; s < surnameCount; ++s)
        jobs.push_back({SitePages::surnamePath(s), [&pages, s] { return pages.surnamePage(s); }});
    for (int l = 0; l < peoplePages; ++l)
        jobs.push_back({SitePages::peoplePath(l), [&pages, l] { return pages.peoplePage(l); }});

    std::atomic<int> next{0}, done{0};
    std::atomic<bool> failed{false};
    std::mutex failure;
    QString firstError;
    const auto work = [&] {
        for (int i; !failed && (i = next++) < int(jobs.size());) {
            const Result<> written = writeFileSafely(dir.filePath(jobs[size_t(i)].name), jobs[size_t(i)].bytes());
            if (!written) {
                const std::lock_guard<std::mutex> lock(failure);
                if (!failed.exchange(true))
                    firstError = QStringLiteral("could not write the site (%1: %2); %3 was left as it was")
                                     .arg(jobs[size_t(i)].name, written.error(), folder);
            }
            ++done;
        }
    };
    constexpr int writers = 16;
    std::vector<std::thread> threads;
    for (int t = 0; t < writers; ++t)
        threads.emplace_back(work);
    while (done < int(jobs.size()) && !failed) {
        if (progress)
            progress(done, total);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (std::thread &thread : threads)
        thread.join();
    if (failed)
        return Failure{firstError};
    // The marker last: a folder without it was never finished.
    const Result<> marked = writeFileSafely(
        dir.filePath(QLatin1String(MarkerFile)),
        QByteArrayLiteral("This folder is a family web site written by kinfolio-site. Writing the site again "
                          "replaces the whole folder.\n"));
    if (!marked)
        return Failure{QStringLiteral("could not write the site (%1); %2 was left as it was").arg(marked.error(), folder)};
    if (progress)
        progress(total, total);

    // Into place. An earlier site is swapped with the new one in one step
    // where the system can, so that FOLDER holds a whole site at every
    // moment; the guard then removes the earlier one. Elsewhere it is moved
    // aside first and removed only once the new one stands where it stood.
    const bool replacing = QFileInfo(target).isDir() && isSiteFolder(target);
    const WriteCounts made{cardCount, int(model.people().size()), surnameCount, total + 1, notes};
    if (replacing && exchangeFolders(fresh, target))
        return made;
    QString aside;
    if (replacing) {
        const Result<QString> oldFolder = newFolderBeside(target, "old");
        if (!oldFolder || !QDir().rmdir(*oldFolder)
            || std::rename(QFile::encodeName(target).constData(), QFile::encodeName(*oldFolder).constData()) != 0)
            return Failure{QStringLiteral("could not move the earlier site %1 aside; it was left as it was").arg(folder)};
        aside = *oldFolder;
    }
    // A rename replaces an empty folder in one step.
    if (std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(target).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        if (!aside.isEmpty())
            std::rename(QFile::encodeName(aside).constData(), QFile::encodeName(target).constData());
        return Failure{QStringLiteral("could not put the site in place as %1: %2").arg(folder, why)};
    }
    freshGuard.keep();
    if (!aside.isEmpty())
        QDir(aside).removeRecursively();
    return made;
}

} // namespace kinfolio::Site
