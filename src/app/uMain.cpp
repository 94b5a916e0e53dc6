#include "app/uMain.h"

#include "app/EditCommands.h"
#include "app/MainWindowLayout.h"
#include "app/NotePanel.h"
#include "app/SettingsFiles.h"
#include "app/WallpaperFlow.h"
#include "app/WebPanel.h"
#include "calendar_view/CalendarLook.h"
#include "calendar_view/ChnCalendarPicker.h"
#include "drawing/FontSetup.h"
#include "engine/DateTime.h"
#include "paths/AppPath.h"
#include "wallpaper/MonthPicture.h"
#include "widgets/CaptionButton.h"
#include "widgets/CaptionButtons.h"
#include "widgets/PictureBox.h"
#include "widgets/WindowFrame.h"
#include "widgets/WindowLook.h"
#include "widgets/WindowPictures.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTextEdit>
#include <QToolButton>

#include <algorithm>
#include <utility>
#include <vector>

namespace tavemo::app {
namespace {

using drawing::FontSpec;
using drawing::makeFont;
using widgets::CaptionButton;
using widgets::PictureBox;
using CaptionEvent = widgets::CaptionButtons::Event;

// The window face under every other component (imgBG): the pale blue field with its border.
class FacePicture : public PictureBox {
public:
    using PictureBox::PictureBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        widgets::paintWindowFace(p, rect());
    }
};

// A plain rectangle shape: fill and 1-pixel border.
class Shape : public QWidget {
public:
    Shape(QColor fill, QColor border, QWidget* parent) : QWidget(parent), m_fill(fill), m_border(border) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), m_fill);
        p.setPen(m_border);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    QColor m_fill, m_border;
};

// A label's text colour.
void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

// `widget` under its name, placed where the layout table puts it.
template <typename Widget>
Widget* named(Widget* widget, const char* name, QSize windowSize)
{
    widget->setObjectName(QString::fromLatin1(name));
    place(*widget, windowSize);
    return widget;
}

} // namespace

TMainFrm::TMainFrm(notes::TDM& dm, const QString& appDir, Environment env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_appDir(appDir), m_env(std::move(env))
{
    m_settings = new SettingsFiles(m_appDir, m_env, *this);
    createComponents(dm);
}

TMainFrm::~TMainFrm()
{
    // Deleting the editor takes its focus away: that is no reason to store it any more.
    m_rdtAbc->removeEventFilter(this);
    disconnect(m_rdtAbc, nullptr, this, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Components

void TMainFrm::createComponents(notes::TDM& dm)
{
    setWindowTitle(QStringLiteral("桌面日历"));
    setMinimumSize(widgets::kMinimumWindowSize);
    resize(widgets::kDesignSize);
    const QSize design = size();
    m_frame = new widgets::WindowFrame(this);
    m_frame->setObjectName(QStringLiteral("windowFrame"));

    // shpBG (white with a pale blue border) lies under imgBG, which covers it whole.
    auto* imgBG = named(new FacePicture({}, this), "imgBG", design);
    imgBG->setMouseTracking(true);
    connect(imgBG, &PictureBox::mousePressed, this, [this](Qt::MouseButton) { imgBGMouseDown(); });
    connect(imgBG, &PictureBox::mouseMoved, this, &TMainFrm::imgBGMouseMove);

    named(new PictureBox(&widgets::logoPicture, this), "imgLogo", design);

    m_imgClose = named(new CaptionButton(CaptionButton::Kind::Close, 0, this), "img_close", design);
    m_imgMini = named(new CaptionButton(CaptionButton::Kind::Minimise, 1, this), "img_mini", design);
    m_captions = std::make_unique<widgets::CaptionButtons>(*m_imgClose, m_imgMini);
    connect(m_imgClose, &CaptionButton::normalMouseMove, this, &TMainFrm::img_close_normalMouseMove);
    connect(m_imgClose, &CaptionButton::highlightMouseDown, this, &TMainFrm::img_close_highlightMouseDown);
    connect(m_imgClose, &CaptionButton::highlightClick, this, &TMainFrm::img_close_highlightClick);
    connect(m_imgMini, &CaptionButton::normalMouseMove, this, &TMainFrm::img_mini_normalMouseMove);
    connect(m_imgMini, &CaptionButton::highlightMouseDown, this, &TMainFrm::img_mini_highlightMouseDown);
    connect(m_imgMini, &CaptionButton::highlightClick, this, &TMainFrm::img_mini_highlightClick);

    m_lblDateTime = named(new QLabel(this), "lblDateTime", design);
    m_lblDateTime->setFont(makeFont(FontSpec{QStringLiteral("微软雅黑"), 12, true}));
    setTextColor(m_lblDateTime, drawing::toQColor(0x00000080));

    m_lblSet = new QLabel(QStringLiteral("|  选项"), this);
    m_lblSet->setFont(makeFont(FontSpec{drawing::kSongFamily, 12}));
    m_lblSet->setCursor(Qt::PointingHandCursor);
    m_lblSet->adjustSize();
    m_lblSet->installEventFilter(this);
    named(m_lblSet, "lblSet", design);

    auto* imgAppToDesk = named(
        new PictureBox(
            [](qreal dpr) { return widgets::pictureButton(QStringLiteral("添加到桌面"), QSize(84, 29), dpr); }, this),
        "imgAppToDesk", design);
    imgAppToDesk->setCursor(Qt::PointingHandCursor);
    connect(imgAppToDesk, &PictureBox::clicked, this, &TMainFrm::imgAppToDeskClick);

    // The editing tools. None of them takes the keyboard focus, so the editor keeps its selection.
    auto tool = [this, design](PictureBox* box, const char* name, const QString& hint) {
        named(box, name, design);
        box->setCursor(Qt::PointingHandCursor);
        box->setToolTip(hint);
        return box;
    };
    connect(tool(new PictureBox(&widgets::fontToolPicture, this), "imgFont", QStringLiteral("字体大小设置")),
            &PictureBox::clicked, this, &TMainFrm::imgFontClick);

    auto flatButton = [this, design](const QString& caption, int pixelSize, const char* name) {
        auto* button = named(new QToolButton(this), name, design);
        button->setText(caption);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFont(makeFont(FontSpec{QStringLiteral("Arial Black"), pixelSize}));
        return button;
    };
    connect(flatButton(QStringLiteral("√"), 14, "btnGou"), &QToolButton::clicked, this, &TMainFrm::btnGouClick);
    connect(flatButton(QStringLiteral("X"), 12, "btnX"), &QToolButton::clicked, this, &TMainFrm::btnXClick);

    connect(tool(new PictureBox(
                     [](qreal dpr) { return widgets::smallPictureButton(QStringLiteral("时间"), QSize(37, 21), dpr); },
                     this),
                 "imgDate", QStringLiteral("插入时间")),
            &PictureBox::clicked, this, &TMainFrm::imgDateClick);
    connect(tool(new PictureBox(&widgets::colourSwatchPicture, this), "imgRedColor", QStringLiteral("字体颜色")),
            &PictureBox::clicked, this, &TMainFrm::imgRedColorClick);

    // The note: pngRight with the bevelled panel pnlABC and the editor, made by the note panel.
    m_notePanel = new NotePanel(dm, m_env, *this, [this] { return m_saved.currentPage != 0; });
    place(m_notePanel->panel(), design);
    m_rdtAbc = &m_notePanel->editor();
    m_rdtAbc->setContextMenuPolicy(Qt::CustomContextMenu);
    m_rdtAbc->installEventFilter(this);
    connect(m_rdtAbc, &QTextEdit::textChanged, this, &TMainFrm::rdtAbcChange);
    m_edit = std::make_unique<EditCommands>(*m_rdtAbc, m_env);

    // The left panel, bottom to top: shpLeft, imgAddToDesk, pnlWeb with the web panel, the calendar.
    auto* pnlLeft = named(new QWidget(this), "pnlLeft", design);
    const QColor face = widgets::windowFaceColor();
    named(new Shape(face, face, pnlLeft), "shpLeft", design);

    auto* imgAddToDesk = named(
        new PictureBox(
            [](qreal dpr) { return widgets::pictureButton(QStringLiteral("选择壁纸"), QSize(176, 50), dpr); }, pnlLeft),
        "imgAddToDesk", design);
    imgAddToDesk->setStretch(true);
    imgAddToDesk->setCursor(Qt::PointingHandCursor);
    connect(imgAddToDesk, &PictureBox::clicked, this, &TMainFrm::imgAddToDeskClick);

    auto* pnlWeb = named(new QWidget(pnlLeft), "pnlWeb", design);
    widgets::setWhiteGround(*pnlWeb);
    m_webLink = named(new WebPanel(pnlWeb), "webLink", design);
    m_webLink->setLinkHandler([this](const QUrl& url) { m_env.openUrl(url); });

    m_chnCalendar = named(new calendar_view::TChnCalendar(pnlLeft), "chnCalendar", design);
    configureCalendar();
    m_notePanel->setCalendar(*m_chnCalendar);

    m_wallpaper = new WallpaperFlow(*this, *m_rdtAbc, m_appDir, m_env, [this] { return m_monthPicturePath; });

    createMenus();
    connect(m_rdtAbc, &QWidget::customContextMenuRequested, this,
            [this](QPoint pos) { m_pmDeskTopMonCal->popup(m_rdtAbc->viewport()->mapToGlobal(pos)); });

    setTabOrder(m_chnCalendar, m_rdtAbc);
    layoutComponents();
}

void TMainFrm::configureCalendar()
{
    calendar_view::TChnCalendar* c = m_chnCalendar;
    c->setAutoFillBackground(true); // its own background, not the panel's
    calendar_view::setUpCalendarLook(*c);
    // The control's window step takes the clock's date itself; the creation step then writes the
    // date the window was given, and from there on every date change loads its note.
    c->initializeWindow();
    c->setShowTitle(true);
    c->OnChange = [this](calendar_view::TChnCalendar*) { chnCalendarChange(); };

    // A press anywhere on the calendar takes the keyboard focus from the editor before the
    // calendar acts on it, so that the editor's leave-save stores the note under the old date.
    c->installEventFilter(this);
    for (QWidget* child : c->findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TMainFrm::createMenus()
{
    auto item = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    m_popSysset = new QMenu(this);
    m_popSysset->setObjectName(QStringLiteral("popSysset"));
    connect(item(m_popSysset, "N_help", QStringLiteral("帮助说明")), &QAction::triggered, this, &TMainFrm::N_helpClick);
    connect(item(m_popSysset, "N_Submit", QStringLiteral("意见反馈")), &QAction::triggered, this,
            &TMainFrm::N_SubmitClick);
    separator(m_popSysset, "N4");
    connect(item(m_popSysset, "N_ExitPrj", QStringLiteral("退出程序")), &QAction::triggered, this,
            &TMainFrm::N_ExitPrjClick);

    QMenu* m = m_pmDeskTopMonCal = new QMenu(this);
    m->setObjectName(QStringLiteral("pmDeskTopMonCal"));
    connect(item(m, "N1", QStringLiteral("复制")), &QAction::triggered, this, &TMainFrm::N1Click);
    connect(item(m, "N2", QStringLiteral("粘贴")), &QAction::triggered, this, &TMainFrm::N2Click);
    connect(item(m, "N9", QStringLiteral("删除")), &QAction::triggered, this, &TMainFrm::N9Click);
    connect(item(m, "N3", QStringLiteral("剪切")), &QAction::triggered, this, &TMainFrm::N3Click);
    separator(m, "N6");
    connect(item(m, "V1", QStringLiteral("打V")), &QAction::triggered, this, &TMainFrm::V1Click);
    connect(item(m, "X1", QStringLiteral("打X")), &QAction::triggered, this, &TMainFrm::X1Click);
    separator(m, "N5");
    connect(item(m, "CtrlZ1", QStringLiteral("撤销(Ctrl+Z)")), &QAction::triggered, this, &TMainFrm::CtrlZ1Click);
    QMenu* tags = m->addMenu(QStringLiteral("添加标注"));
    tags->setObjectName(QStringLiteral("N7"));
    tags->menuAction()->setObjectName(QStringLiteral("N7"));
    connect(item(tags, "N_RedTag", QStringLiteral("红")), &QAction::triggered, this, &TMainFrm::N_RedTagClick);
    connect(item(tags, "N_BlueTag", QStringLiteral("蓝")), &QAction::triggered, this, &TMainFrm::N_BlueTagClick);
    connect(item(tags, "N_FRedTag", QStringLiteral("粉红")), &QAction::triggered, this, &TMainFrm::N_FRedTagClick);
}

void TMainFrm::layoutComponents()
{
    layOut(*this);
    m_notePanel->layOutInside();
}

// ---------------------------------------------------------------------------------------------
// Creation and showing

void TMainFrm::FormCreate()
{
    if (m_created)
        return;
    m_created = true;
    // Widgets paint double-buffered of their own.
    m_saved.currentPage = 0;
    m_monthPicturePath = monthPicturePathNow();
    m_notePanel->clearReady();

    const double now = m_env.now();
    m_calendarChanged = false;
    m_chnCalendar->setDateTime(now);
    if (!m_calendarChanged) // the calendar held that very value already: no change event, but the note is due
        chnCalendarChange();

    int year = 0, month = 0, day = 0;
    engine::decodeDate(now, year, month, day); // out of range: year 0
    m_lblDateTime->setText(QStringLiteral("今天是 %1年%2月%3日(%4)")
                               .arg(year)
                               .arg(month)
                               .arg(day)
                               .arg(QString::fromUtf8(engine::weekdayCharacter(engine::dayOfWeek(now)))));
    m_lblDateTime->adjustSize();

    // The background list starts empty, the prompt flag as the flag file says.
    m_wallpaper->reset(m_settings->readWallpaperPrompt(), m_settings->flagFilePath());
    LoadBackgroundList(false);
}

void TMainFrm::createWallpaperDialogs() { m_wallpaper->createDialogs(); }

void TMainFrm::FormShow()
{
    LoadWindowSize();
    m_notePanel->load();
    m_webLink->navigate(QUrl(QStringLiteral("about:blank")));
    m_webLink->navigate(sitePage(QStringLiteral("rs/Tavemo3.htm")));
}

void TMainFrm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_frame->attach();
    if (m_shown || event->spontaneous())
        return;
    m_shown = true;
    m_settings->windowShown();
    FormShow();
}

void TMainFrm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TMainFrm::FormResize()
{
    layoutComponents();
    m_rdtAbc->viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Window size and position

void TMainFrm::LoadWindowSize()
{
    const std::optional<files::FormSize> saved = m_settings->readFormSize();
    m_saved = saved.value_or(m_settings->defaultFormSize());
    applyGeometry(m_saved);
    if (!saved)
        SaveWindowSize();
}

void TMainFrm::SaveWindowSize() { m_settings->writeFormSize(m_saved); }

void TMainFrm::applyGeometry(const files::FormSize& size)
{
    resize(size.width, size.height); // the minimum size raises what is smaller
    // A position saved on a screen that is gone (a monitor unplugged) would put the window out of
    // reach: it needs a strip of its top, 100 x 10 pixels, on some screen, else it opens centred on
    // the primary screen.
    int left = size.left, top = size.top;
    const QRect topStrip(left, top, width(), 20);
    bool reachable = false;
    for (const QRect& screen : m_env.screens()) {
        const QRect seen = screen.intersected(topStrip);
        if (seen.width() >= 100 && seen.height() >= 10)
            reachable = true;
    }
    if (!reachable) {
        const QRect primary = m_env.primaryScreen();
        left = primary.x() + (primary.width() - width()) / 2;
        top = primary.y() + (primary.height() - 30 - height()) / 2;
    }
    move(left, top);
}

// ---------------------------------------------------------------------------------------------
// Calendar and note

void TMainFrm::chnCalendarChange()
{
    m_calendarChanged = true;
    m_notePanel->load();
    m_monthPicturePath = monthPicturePathNow();
}

QString TMainFrm::monthPicturePathNow() const { return wallpaper::monthPicturePath(m_appDir, localDate(m_env.now())); }

void TMainFrm::saveNoteNow() { m_notePanel->save(); }

void TMainFrm::rdtAbcChange() { m_notePanel->textChanged(); }

void TMainFrm::rdtAbcExit() { m_notePanel->save(); }

void TMainFrm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Back at the window, the user sees what another program wrote meanwhile.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_notePanel->refresh();
}

bool TMainFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_rdtAbc) {
        if (event->type() == QEvent::FocusOut)
            rdtAbcExit();
        return false;
    }
    if (watched == m_lblSet) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && m_lblSet->rect().contains(mouse->position().toPoint()))
                lblSetClick();
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress && m_rdtAbc->hasFocus())
        m_chnCalendar->setFocus(Qt::MouseFocusReason); // only the calendar's parts are watched besides
    return false;
}

// ---------------------------------------------------------------------------------------------
// Caption buttons and the window drag

void TMainFrm::imgBGMouseDown() { m_frame->startMove(QCursor::pos()); }
void TMainFrm::imgBGMouseMove() { m_captions->on(CaptionEvent::BackgroundMove); }
void TMainFrm::img_close_normalMouseMove() { m_captions->on(CaptionEvent::CloseNormalMove); }
void TMainFrm::img_close_highlightMouseDown() { m_captions->on(CaptionEvent::CloseHighlightDown); }
void TMainFrm::img_close_highlightClick() { endProgram(Ending::ClosePicture); }
void TMainFrm::img_mini_normalMouseMove() { m_captions->on(CaptionEvent::MinimiseNormalMove); }
void TMainFrm::img_mini_highlightMouseDown() { m_captions->on(CaptionEvent::MinimiseHighlightDown); }

void TMainFrm::img_mini_highlightClick()
{
    m_captions->on(CaptionEvent::MinimiseClick);
    showMinimized(); // the taskbar entry stays; restoring it shows the window again
}

void TMainFrm::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_captions->on(CaptionEvent::PointerLeft);
}

void TMainFrm::bringToFront()
{
    if (isMinimized() || !isVisible())
        showNormal();
    raise();
    activateWindow();
}

// ---------------------------------------------------------------------------------------------
// Ending

void TMainFrm::endProgram(Ending how)
{
    if (!m_ended) {
        m_ended = true;
        m_notePanel->save();
    }
    if (how == Ending::ClosePicture) {
        m_saved.width = width();
        m_saved.height = height();
        m_saved.left = x();
        m_saved.top = y();
        SaveWindowSize();
    }
    if (how != Ending::EventLoopEnding)
        m_env.quit();
}

void TMainFrm::closeEvent(QCloseEvent* event)
{
    endProgram(Ending::WindowClosed);
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Options menu and web pages

QUrl TMainFrm::sitePage(const QString& relative) const
{
    return QUrl::fromLocalFile(paths::appPath(m_appDir, QStringLiteral("web/") + relative));
}

void TMainFrm::lblSetClick()
{
    const QPoint at = m_lblSet->mapToGlobal(QPoint(0, m_lblSet->height()));
    if (!m_optionsMenuAttached) {
        // From the first click on, the label's right click opens the same menu.
        m_optionsMenuAttached = true;
        m_lblSet->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m_lblSet, &QWidget::customContextMenuRequested, this,
                [this](QPoint pos) { m_popSysset->popup(m_lblSet->mapToGlobal(pos)); });
    }
    m_popSysset->popup(at);
}

void TMainFrm::N_helpClick() { m_env.openUrl(sitePage(QStringLiteral("help4/tavemo1.htm"))); }
void TMainFrm::N_SubmitClick() { m_env.openUrl(sitePage(QStringLiteral("help4/tavemo2.htm"))); }
void TMainFrm::N_ExitPrjClick() { endProgram(Ending::ExitCommand); }

// ---------------------------------------------------------------------------------------------
// Wallpaper

void TMainFrm::LoadBackgroundList(bool selectCurrent) { m_wallpaper->loadBackgroundList(selectCurrent); }
void TMainFrm::imgAddToDeskClick() { m_wallpaper->chooseBackground(); }
void TMainFrm::imgAppToDeskClick() { m_wallpaper->applyToDesktop(); }

// ---------------------------------------------------------------------------------------------
// Editing commands

void TMainFrm::btnGouClick() { m_edit->replaceSelection(EditCommands::kCheckMark); }
void TMainFrm::btnXClick() { m_edit->replaceSelection(EditCommands::kCrossMark); }
void TMainFrm::V1Click() { m_edit->replaceSelection(EditCommands::kCheckMark); }
void TMainFrm::X1Click() { m_edit->replaceSelection(EditCommands::kCrossMark); }
void TMainFrm::N_RedTagClick() { m_edit->tag(EditCommands::redTag()); }
void TMainFrm::N_BlueTagClick() { m_edit->tag(EditCommands::blueTag()); }
void TMainFrm::N_FRedTagClick() { m_edit->tag(EditCommands::pinkTag()); }
void TMainFrm::N1Click() { m_rdtAbc->copy(); }
void TMainFrm::N2Click() { m_rdtAbc->paste(); }
void TMainFrm::N3Click() { m_rdtAbc->cut(); }
void TMainFrm::N9Click() { m_edit->deleteSelection(); }
void TMainFrm::CtrlZ1Click() { m_rdtAbc->undo(); }
void TMainFrm::imgDateClick() { m_edit->insertTime(); }
void TMainFrm::imgRedColorClick() { m_edit->chooseColor(this); }
void TMainFrm::imgFontClick() { m_edit->chooseFont(this); }

} // namespace tavemo::app
