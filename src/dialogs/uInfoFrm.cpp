#include "dialogs/uInfoFrm.h"

#include "drawing/FontSetup.h"
#include "files/WindowSettings.h"
#include "widgets/PictureBox.h"
#include "widgets/WindowFrame.h"
#include "widgets/WindowPictures.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

namespace tavemo::dialogs {
namespace {

using drawing::FontSpec;
using drawing::makeFont;

// The dialog's ground: white inside a 1-pixel pale blue frame; a left press on it drags the dialog.
class Ground : public QWidget {
public:
    Ground(std::function<void()> pressed, QWidget* parent) : QWidget(parent), m_pressed(std::move(pressed)) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(widgets::windowFaceColor());
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && m_pressed)
            m_pressed();
    }

private:
    std::function<void()> m_pressed;
};

} // namespace

TInforFrm::TInforFrm(widgets::ShowMessage showMessage, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_showMessage(std::move(showMessage))
{
    setObjectName(QStringLiteral("InforFrm"));
    setWindowTitle(QStringLiteral("更换壁纸"));
    setModal(true);
    setFixedSize(kWidth, kHeight);
    m_frame = new widgets::WindowFrame(this, widgets::WindowFrame::Sizing::None);

    m_shpBG = new Ground([this] { shpBGMouseDown(); }, this);
    m_shpBG->setGeometry(rect());

    m_imgques = new widgets::PictureBox(&widgets::exclamationPicture, this);
    m_imgques->setGeometry(QRect(QPoint(32, 24), widgets::kExclamationSize));
    m_imgques->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_lblInfo = new QLabel(QStringLiteral("您确定要更换壁纸？"), this);
    m_lblInfo->setFont(makeFont(FontSpec{drawing::kSongFamily, 14, true}));
    m_lblInfo->adjustSize();
    m_lblInfo->move(112, 40);
    m_lblInfo->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_chkSetBgInfo = new QCheckBox(QStringLiteral("下次不再提示"), this);
    m_chkSetBgInfo->setFont(makeFont(FontSpec{drawing::kSongFamily, 12}));
    m_chkSetBgInfo->setGeometry(120, 88, 97, 17);
    m_chkSetBgInfo->setFocusPolicy(Qt::TabFocus);

    m_btnok = widgets::dialogButton(this, QStringLiteral("确  定"), QPoint(176, 120));
    m_btncancel = widgets::dialogButton(this, QStringLiteral("取  消"), QPoint(256, 120));
    m_btnok->setDefault(true);

    m_btnClose = new QToolButton(this);
    m_btnClose->setText(QStringLiteral("X"));
    m_btnClose->setAutoRaise(true);
    m_btnClose->setFocusPolicy(Qt::NoFocus);
    m_btnClose->setFont(makeFont(FontSpec{QStringLiteral("Arial"), 12, true}));
    m_btnClose->setGeometry(321, 1, 20, 18);

    connect(m_btnok, &QPushButton::clicked, this, &TInforFrm::btnokClick);
    connect(m_btncancel, &QPushButton::clicked, this, &TInforFrm::btncancelClick);
    connect(m_btnClose, &QToolButton::clicked, this, &TInforFrm::btnCloseClick);
}

int TInforFrm::ask(bool& promptFlag, std::int32_t& confirmResult, const QString& flagFilePath)
{
    m_prompt = &promptFlag;
    m_result = &confirmResult;
    m_flagFilePath = flagFilePath;
    widgets::centreOverOwner(*this);
    // Escape or the window manager closing the dialog is no "确  定".
    confirmResult = 0;
    exec();
    m_prompt = nullptr;
    m_result = nullptr;
    return confirmResult;
}

void TInforFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_frame->attach();
}

void TInforFrm::btnokClick()
{
    if (m_result)
        *m_result = 1;
    if (m_chkSetBgInfo->isChecked()) {
        if (m_prompt)
            *m_prompt = false;
        const Outcome written =
            m_flagFilePath.isEmpty() ? Outcome::success() : files::writeWallpaperPrompt(m_flagFilePath, false);
        if (!written.ok() && m_showMessage)
            m_showMessage(this,
                          QStringLiteral("“下次不再提示”没能保存（%1），下次启动后仍会询问。").arg(written.text()), {});
    }
    accept();
}

void TInforFrm::btncancelClick()
{
    if (m_result)
        *m_result = 0;
    reject();
}

void TInforFrm::btnCloseClick() { btncancelClick(); }

void TInforFrm::shpBGMouseDown() { m_frame->startMove(QCursor::pos()); }

} // namespace tavemo::dialogs
