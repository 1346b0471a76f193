#pragma once

#include <QList>
#include <QString>

#include <optional>

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

    // The installation set is read from `setFolder`, or from the working
    // directory when it is empty.
    explicit InstallSequence(InstallFileSystem &fileSystem, QString separator, QString setFolder = QString());

    // Why the installation must not run into the directory typed; none when
    // it may. Installing into the folder the set is read from would
    // rename the set's own program file, and the set could not install again.
    std::optional<QString> refusal(const QString &directoryText) const;

    // Runs every step once. A failing step is skipped and the next one runs;
    // the failures are returned for the caller to report. An existing
    // directory is not a failure. The companion programs are copied last,
    // when the set holds them.
    QList<InstallFailure> run(const QString &directoryText);

    // The directory as typed, with the separator appended; empty until the
    // sequence has run with a non-empty text.
    const QString &TargetDirectory() const { return m_targetDirectory; }

private:
    // The directory the files go to, with the separator appended.
    QString targetFor(const QString &directoryText) const;
    // Where a file of the installation set is read from.
    QString sourceOf(const QString &name) const;
    void copy(const QString &name, const QString &destination, QList<InstallFailure> &failures);

    InstallFileSystem &m_fileSystem;
    QString m_separator;
    QString m_setFolder;
    QString m_targetDirectory;
};

// The folder the installation set is read from: empty for the working
// directory when that holds the set's program file, else `programFolder`,
// Install's own, so that Install started elsewhere (a desktop launcher starts
// it in the user's home) still finds the set beside it.
QString installationSetFolder(const InstallFileSystem &fileSystem, const QString &programFolder);

// The text of the one message that lists the failed steps.
QString installFailureReport(const QList<InstallFailure> &failures);

} // namespace kinfolio
