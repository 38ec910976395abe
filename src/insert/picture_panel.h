#pragma once

// The picture panel's controls inside frameinsertpic: the image browser
// (Drive1 the mounted file systems, Dir1 the folders, File1 the pictures of
// the folder), the scaled preview and the fields of the element. The insert
// itself is the insert tools' (insertRequested); problems reading a drive, a
// folder or a picture are said in the panel, which stays usable.

#include <QObject>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;

class PicturePanel : public QObject
{
    Q_OBJECT
public:
    explicit PicturePanel(QFrame *frame, QObject *parent = nullptr);

    void Drive1_Change();
    // The folder list moves to path (a double click or Enter on a folder).
    void Dir1_Change(const QString &path);
    void Dir1_Click();
    void File1_Click();

    // The file list's folder, pattern and selected file name ("" for none).
    QString filePath() const { return m_filePath; }
    QString pattern() const { return m_pattern; }
    QString fileName() const { return m_fileName; }
    QString dirPath() const { return m_dirPath; }
    QString fullPath() const;
    // The element the fields describe.
    QString elementHtml() const;
    // What the panel says about the last problem; empty when there is none.
    QString problem() const;

    QComboBox *Drive1 = nullptr;
    QListView *Dir1 = nullptr, *File1 = nullptr;
    QFrame *Previewbox = nullptr;
    QLabel *previewimage = nullptr;
    QLineEdit *txtAltPicture = nullptr, *txtwidth = nullptr, *txtheight = nullptr,
              *txtBorder = nullptr;
    QPushButton *Command2 = nullptr, *Command3 = nullptr;

signals:
    void insertRequested();
    void cancelRequested();

private:
    void build(QFrame *frame);
    void fillDrives();
    void showFiles();
    void say(const QString &text);
    void fileClicked(const QModelIndex &index);

    QFileSystemModel *m_dirs = nullptr, *m_files = nullptr;
    QLabel *m_status = nullptr;
    QString m_dirPath, m_filePath, m_fileName;
    QString m_pattern = QStringLiteral("*.jpg");
};
