#pragma once

#include <QWidget>

#include <memory>

class QLineEdit;
class QPushButton;

namespace kinfolio {

class InstallFileSystem;

// The installer's window: proposes a directory and installs into it.
class InstallerWindow : public QWidget
{
    Q_OBJECT
public:
    // Installs through `fileSystem`; the real file system, relative to the
    // working directory, when none is given. The installation set is read
    // from the working directory, or from beside Install when it is not there.
    explicit InstallerWindow(std::shared_ptr<InstallFileSystem> fileSystem = nullptr);
    ~InstallerWindow() override;

private slots:
    void install();

private:
    void buildControls();

    std::shared_ptr<InstallFileSystem> m_fileSystem;
    QLineEdit *m_txtPathDirectory = nullptr;
    QPushButton *m_cmdContinue = nullptr;
};

} // namespace kinfolio
