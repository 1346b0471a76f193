#pragma once

#include <QList>
#include <QString>

namespace kinfolio {

class InstallFileSystem;

// Appends `separator` to `path` unless the path already ends in it (exact,
// case-sensitive; an empty path always gets it).
void EnsureTrailingSeparator(QString &path, const QString &separator);

// One step of the installation that did not succeed, with the system's reason.
struct InstallFailure
{
    QString step;
    QString reason;
};

// Places the card program, its data files and the read-me into the directory
// the user typed. Needs only that text and the file system, so it runs apart
// from the installer window.
class InstallSequence
{
public:
    // The transfer name of the program file, and the name it is given.
    static const QString ProgramTransferName;
    static const QString ProgramFileName;

    explicit InstallSequence(InstallFileSystem &fileSystem, QString separator);

    // Why the installation must not run into the directory typed, or an
    // empty text. Installing into the folder the set is read from would
    // rename the set's own program file, and the set could not install again.
    QString refusal(const QString &directoryText) const;

    // Runs every step once. A failing step is skipped and the next one runs;
    // the failures are returned for the caller to report. An existing
    // directory is not a failure.
    QList<InstallFailure> run(const QString &directoryText);

    // The directory as typed, with the separator appended; empty until the
    // sequence has run with a non-empty text.
    const QString &TargetDirectory() const { return m_targetDirectory; }

private:
    // The directory the files go to, with the separator appended.
    QString targetFor(const QString &directoryText) const;

    InstallFileSystem &m_fileSystem;
    QString m_separator;
    QString m_targetDirectory;
};

// The text of the one message that lists the failed steps.
QString installFailureReport(const QList<InstallFailure> &failures);

} // namespace kinfolio
