#pragma once

#include "base/result.h"
#include "sitepages.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Writes the family web site of a card file into a folder, whole or not at
// all: every page goes through the safe writer into a new folder beside the
// target, which is then renamed into its place. Only a folder this program
// wrote (it holds the marker file) or an empty or missing one is replaced.
namespace kinfolio::Site {

// The file that marks a folder as a site this program wrote.
inline const char *const MarkerFile = ".kinfolio-site";

// Why the site must not be written into `folder` from `cardFile`; none when
// it may. A file (the card file among them), a folder holding anything not
// written by this program, a folder holding the card file, and a folder in
// a missing one are refused.
std::optional<QString> folderRefusal(const QString &folder, const QString &cardFile);

struct WriteCounts
{
    int cards = 0, people = 0, surnames = 0, pages = 0;
    // What the reading of the card file found to tell, one line each.
    QStringList notes;
};

// Called as pages are written: how many of how many.
using Progress = std::function<void(int done, int total)>;

// Reads the cards and writes the site. `options.title` empty: the name of
// the card file's folder. On failure nothing at `folder` changed.
Result<WriteCounts> writeSite(const QString &cardFile, const QString &folder, SiteOptions options, int thisYear,
                              const Progress &progress = {});

} // namespace kinfolio::Site
