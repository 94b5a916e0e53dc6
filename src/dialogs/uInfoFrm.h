#pragma once
// TInforFrm, the question "您确定要更换壁纸？" asked before 添加到桌面 replaces the wallpaper.
//
// Borderless, 344 × 156, white with a pale blue frame; dragging it moves it. "确  定" answers 1,
// "取  消" and "X" answer 0. Confirming with "下次不再提示" ticked switches the question off for
// good: the prompt flag becomes false and the flag file "data\configSetBg.ini" holds the single
// line "0" (a later start reads it and does not ask). The tick stays between displays.

#include "widgets/DialogParts.h"

#include <QDialog>
#include <QString>

#include <cstdint>

class QCheckBox;
class QLabel;
class QPushButton;
class QToolButton;
class QWidget;

namespace tavemo::widgets {
class PictureBox;
class WindowFrame;
} // namespace tavemo::widgets

namespace tavemo::dialogs {

class TInforFrm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 344;
    static constexpr int kHeight = 156;

    // `showMessage` tells the user when the flag file cannot be written (absent: not told).
    explicit TInforFrm(widgets::ShowMessage showMessage = {}, QWidget* parent = nullptr);

    // Shows the question modally, centred over its parent, and returns the answer, which is also
    // left in `confirmResult`. `promptFlag` becomes false when the user switches the question off;
    // the flag file is then written at `flagFilePath`. Closing the dialog by other means (Escape,
    // the window manager) answers 0 as well: only "确  定" replaces the wallpaper.
    int ask(bool& promptFlag, std::int32_t& confirmResult, const QString& flagFilePath);

    // Components.
    QWidget* shpBG() const { return m_shpBG; }
    widgets::PictureBox* imgques() const { return m_imgques; }
    QLabel* lblInfo() const { return m_lblInfo; }
    QCheckBox* chkSetBgInfo() const { return m_chkSetBgInfo; }
    QPushButton* btnok() const { return m_btnok; }
    QPushButton* btncancel() const { return m_btncancel; }
    QToolButton* btnClose() const { return m_btnClose; }

public slots:
    void btnokClick();
    void btncancelClick();
    void btnCloseClick();
    void shpBGMouseDown();

protected:
    void showEvent(QShowEvent* event) override;

private:
    widgets::ShowMessage m_showMessage;
    bool* m_prompt = nullptr;
    std::int32_t* m_result = nullptr;
    QString m_flagFilePath;

    QWidget* m_shpBG = nullptr;
    widgets::PictureBox* m_imgques = nullptr;
    QLabel* m_lblInfo = nullptr;
    QCheckBox* m_chkSetBgInfo = nullptr;
    QPushButton* m_btnok = nullptr;
    QPushButton* m_btncancel = nullptr;
    QToolButton* m_btnClose = nullptr;
    widgets::WindowFrame* m_frame = nullptr;
};

} // namespace tavemo::dialogs
