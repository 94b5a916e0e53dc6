#pragma once
// TPicSelFrm, the dialog "背景图片选择" of the picture button 选择壁纸: the user adds pictures to
// the background list, removes entries and chooses the current background (the green check mark).
//
// The dialog works on the list file "Data\BGPicList.ini" only: every display refills the entries
// from the file, and every change is written back whole (line 1 the dialog's current name, then
// the captions in order). The main window reads the file again after the dialog has closed.
//
// Borderless, 524 × 286, pale blue; dragging the face moves it; the close picture at the top right
// closes it without writing anything.

#include "widgets/CaptionButton.h"
#include "widgets/CaptionButtons.h"
#include "widgets/DialogParts.h"

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <optional>

class QFrame;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tavemo::widgets {
class PictureBox;
class WindowFrame;
} // namespace tavemo::widgets

namespace tavemo::dialogs {

class TPicSelFrm : public QDialog {
    Q_OBJECT
public:
    // What the dialog asks of the world around it: the program hands it the real dialogs, checks
    // answer in their place. Without a picture dialog 添  加 adds nothing; without a message box
    // the user is not told.
    struct Services {
        widgets::ChoosePictures choosePictures;
        widgets::ShowMessage showMessage;
    };

    static constexpr int kWidth = 524;
    static constexpr int kHeight = 286;

    explicit TPicSelFrm(const QString& appDir, Services services = {}, QWidget* parent = nullptr);

    // The dialog's current name: the background the main window uses after the dialog closes.
    // The main window sets it before each display and reads it afterwards.
    QString CurrentName;

    // Shows the dialog modally, centred over its parent; FormShow fills it first.
    int exec() override;

    // Components.
    widgets::PictureBox* imgBG() const { return m_imgBG; }
    widgets::CaptionButton* img_close() const { return m_imgClose; }
    widgets::PictureBox* imgLogo() const { return m_imgLogo; }
    QFrame* Shape1() const { return m_shape1; }
    QTreeWidget* LVpic() const { return m_lvPic; }
    QLabel* lblTishi() const { return m_lblTishi; }
    widgets::PictureBox* imgSel() const { return m_imgSel; }
    QPushButton* btnRemove() const { return m_btnRemove; }
    QPushButton* btnAdd() const { return m_btnAdd; }
    QPushButton* btnOk() const { return m_btnOk; }

    // The captions of the entries in order, and whether each shows the check mark.
    QStringList captions() const;
    bool isChecked(int row) const;

public slots:
    // Fills the entries from the list file (a missing file is written with the default list).
    void FormShow();
    void btnAddClick();
    void btnRemoveClick();
    void btnOkClick();
    void imgBGMouseDown();
    void imgBGMouseMove();
    void img_close_normalMouseMove();
    void img_close_highlightMouseDown();
    void img_close_highlightMouseUp();
    void img_close_highlightClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Adds one chosen file; empty on success, else why it cannot be used.
    QString addPicture(const QString& path);
    void addEntry(const QString& caption, bool checked);
    void setChecked(QTreeWidgetItem* item, bool checked);
    QTreeWidgetItem* firstSelected() const;
    // Rewrites the list file from the entries; false (with a message) when it cannot.
    bool writeList();
    void tell(const QString& text);

    QString m_appDir;
    Services m_services;
    QIcon m_checkMark; // image 0 of the entries' image list: the green check mark

    widgets::PictureBox* m_imgBG = nullptr;
    widgets::CaptionButton* m_imgClose = nullptr;
    widgets::PictureBox* m_imgLogo = nullptr;
    QFrame* m_shape1 = nullptr;
    QTreeWidget* m_lvPic = nullptr;
    QLabel* m_lblTishi = nullptr;
    widgets::PictureBox* m_imgSel = nullptr;
    QPushButton* m_btnRemove = nullptr;
    QPushButton* m_btnAdd = nullptr;
    QPushButton* m_btnOk = nullptr;
    widgets::WindowFrame* m_frame = nullptr;
    std::optional<widgets::CaptionButtons> m_captions;
};

} // namespace tavemo::dialogs
