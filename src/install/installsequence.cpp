#include "installsequence.h"

#include "installfilesystem.h"
#include "format/cardstore.h"
#include "format/sitelistfile.h"

namespace kinfolio {

namespace {

struct TransferFile
{
    QString name;
    // The user's cards and sites: an existing file in the target is kept.
    bool keepExisting;
};

// In copy order.
QList<TransferFile> transferFiles()
{
    return {
        {CardStore::fileName(), true},
        {InstallSequence::ProgramTransferName, false},
        {QStringLiteral("Readme.txt"), false},
        {SiteListFile::fileName(), true},
    };
}

// The tools that work on the card file from beside the card program, as the
// build names them.
QStringList companionFiles()
{
    return QStringLiteral(KINFOLIO_COMPANIONS).split(u',', Qt::SkipEmptyParts);
}

} // namespace

const QString InstallSequence::ProgramTransferName = QStringLiteral("test.ttt");
const QString InstallSequence::ProgramFileName = QStringLiteral("Kinfolio.exe");

void EnsureTrailingSeparator(QString &path, const QString &separator)
{
    if (path.isEmpty() || path.right(1) != separator)
        path.append(separator);
}

InstallSequence::InstallSequence(InstallFileSystem &fileSystem, QString separator, QString setFolder)
    : m_fileSystem(fileSystem)
    , m_separator(std::move(separator))
    , m_setFolder(std::move(setFolder))
{
}

QString InstallSequence::sourceOf(const QString &name) const
{
    return m_setFolder.isEmpty() ? name : m_setFolder + QLatin1Char('/') + name;
}

QString InstallSequence::targetFor(const QString &directoryText) const
{
    QString target = directoryText;
    EnsureTrailingSeparator(target, m_separator);
    return target;
}

std::optional<QString> InstallSequence::refusal(const QString &directoryText) const
{
    const QString destination = (targetFor(directoryText) + ProgramTransferName).trimmed();
    if (!m_fileSystem.isSameFile(sourceOf(ProgramTransferName), destination))
        return std::nullopt;
    return QStringLiteral("Kinfolio cannot be installed into the folder it is installed from:\r\n%1\r\n\r\n"
                          "Installing there would rename the installation set's %2 to %3, and the set could "
                          "not install again. Please choose another directory.")
        .arg(directoryText, ProgramTransferName, ProgramFileName);
}

QList<InstallFailure> InstallSequence::run(const QString &directoryText)
{
    QList<InstallFailure> failures;

    // The directory is created exactly as typed; the separator is appended
    // only for the file names.
    if (!directoryText.isEmpty()) {
        const Result<> made = m_fileSystem.makeDirectory(directoryText);
        if (!made && !m_fileSystem.isDirectory(directoryText))
            failures.append({QStringLiteral("Create the directory \"%1\"").arg(directoryText), made.error()});
        m_targetDirectory = directoryText;
    }
    EnsureTrailingSeparator(m_targetDirectory, m_separator);

    for (const TransferFile &file : transferFiles()) {
        const QString &name = file.name;
        const QString destination = (m_targetDirectory + name).trimmed();
        if (!file.keepExisting || !m_fileSystem.exists(destination))
            copy(name.trimmed(), destination, failures);
    }

    // The program file gets its final name in place, replacing the program
    // of an earlier installation.
    const QString from = m_targetDirectory + ProgramTransferName;
    const QString to = m_targetDirectory + ProgramFileName;
    if (const Result<> renamed = m_fileSystem.renameFile(from, to); !renamed)
        failures.append({QStringLiteral("Rename \"%1\" to \"%2\"").arg(from, to), renamed.error()});

    // A set without the companions installs the four files alone.
    for (const QString &name : companionFiles()) {
        if (m_fileSystem.exists(sourceOf(name)))
            copy(name, (m_targetDirectory + name).trimmed(), failures);
    }
    return failures;
}

void InstallSequence::copy(const QString &name, const QString &destination, QList<InstallFailure> &failures)
{
    const QString source = sourceOf(name);
    if (const Result<> copied = m_fileSystem.copyFile(source, destination); !copied)
        failures.append({QStringLiteral("Copy %1 to \"%2\"").arg(source, destination), copied.error()});
}

QString installationSetFolder(const InstallFileSystem &fileSystem, const QString &programFolder)
{
    return fileSystem.exists(InstallSequence::ProgramTransferName) ? QString() : programFolder;
}

QString installFailureReport(const QList<InstallFailure> &failures)
{
    QString text = QStringLiteral("These installation steps failed:\r\n");
    for (const InstallFailure &failure : failures) {
        text += QStringLiteral("\r\n") + failure.step;
        if (!failure.reason.isEmpty())
            text += QStringLiteral(": ") + failure.reason;
    }
    return text;
}

} // namespace kinfolio
