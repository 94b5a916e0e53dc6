#include "app/uMain.h"

#include "paths/AppPath.h"
#include "wallpaper/ApplyToDesktop.h"
#include "wallpaper/CaptureNotePicture.h"
#include "calendar_view/ChnCalendarPicker.h"
#include "engine/DateTime.h"
#include "drawing/FontSetup.h"
#include "widgets/PictureBox.h"
#include "files/SettingsFile.h"
#include "app/WebPanel.h"
#include "widgets/WindowFrame.h"
#include "widgets/WindowPictures.h"
#include "wallpaper/MonthPicture.h"
#include "calendar_view/CalendarLook.h"
#include "calendar_view/MonthPicture.h"
#include "widgets/WindowLook.h"
#include "platform/WallpaperInstaller.h"
#include "files/SettingsFile.h"
#include "files/WindowSettings.h"
#include "notes/uDM.h"
#include "dialogs/uInfoFrm.h"
#include "dialogs/uPicSel.h"

#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <utility>
#include <vector>

namespace tavemo::app {
namespace {

// Clears the protected attribute on the editor's selection and on the format of the text typed
// next, before a save. Only fragments that carry it are touched, so a save leaves no step on the
// undo stack.
void clearProtected(QTextEdit &editor)
{
    const QTextCursor selection = editor.textCursor();
    if (selection.hasSelection()) {
        QTextDocument *document = editor.document();
        const int start = selection.selectionStart();
        const int end = selection.selectionEnd();
        std::vector<std::pair<int, int>> ranges;
        for (QTextBlock block = document->findBlock(start); block.isValid() && block.position() < end;
             block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const int from = std::max(fragment.position(), start);
                const int to = std::min(fragment.position() + fragment.length(), end);
                if (from < to && fragment.charFormat().hasProperty(notes::ProtectedCharProperty))
                    ranges.emplace_back(from, to);
            }
        }
        for (const auto &[from, to] : ranges) {
            QTextCursor part(document);
            part.setPosition(from);
            part.setPosition(to, QTextCursor::KeepAnchor);
            QTextCharFormat format = part.charFormat(); // the fragment is uniform: one format
            format.clearProperty(notes::ProtectedCharProperty);
            part.setCharFormat(format);
        }
    }
    QTextCharFormat typing = editor.currentCharFormat();
    if (typing.hasProperty(notes::ProtectedCharProperty)) {
        typing.clearProperty(notes::ProtectedCharProperty);
        editor.setCurrentCharFormat(typing);
    }
}

using namespace files; // the window's settings files

using drawing::FontSpec;
using drawing::makeFont;
using widgets::kNotePanelBevel;
using widgets::noteEditorSize;

const QString kSong = QStringLiteral("宋体");

// The window face under every other component (imgBG): the pale blue field with its border.
class FacePicture : public PictureBox {
public:
    using PictureBox::PictureBox;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        widgets::paintWindowFace(p, rect());
    }
};

// A plain rectangle shape: fill and 1-pixel border.
class Shape : public QWidget {
public:
    Shape(QColor fill, QColor border, QWidget *parent) : QWidget(parent), m_fill(fill), m_border(border) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), m_fill);
        p.setPen(m_border);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    QColor m_fill, m_border;
};

// The note's panel: white, framed by a raised outer and a lowered inner bevel of one pixel each.
class BevelPanel : public QFrame {
public:
    using QFrame::QFrame;
    static constexpr int kBevel = kNotePanelBevel;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, Qt::white);
        const QColor light(255, 255, 255), shadow(160, 160, 160), dark(105, 105, 105), face(227, 227, 227);
        auto bevel = [&p](QRect b, const QColor &topLeft, const QColor &bottomRight) {
            p.fillRect(QRect(b.left(), b.top(), b.width(), 1), topLeft);
            p.fillRect(QRect(b.left(), b.top(), 1, b.height()), topLeft);
            p.fillRect(QRect(b.left(), b.bottom(), b.width(), 1), bottomRight);
            p.fillRect(QRect(b.right(), b.top(), 1, b.height()), bottomRight);
        };
        bevel(r, face.lighter(105), dark);                       // raised outer
        bevel(r.adjusted(1, 1, -1, -1), shadow, light);          // lowered inner
    }
};

// The weekday of a date-time value as the label writes it, Monday 一 .. Sunday 日.
QString weekdayText(double value)
{
    static const QString names[] = {QStringLiteral("日"), QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"),
                                    QStringLiteral("四"), QStringLiteral("五"), QStringLiteral("六")};
    const int day = engine::dayOfWeek(value); // 1 = Sunday
    return day >= 1 && day <= 7 ? names[day - 1] : QString();
}

// A label's text colour.
void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

// The date-time value's date is always taken apart for its day; out-of-range clocks give year 0.
struct CivilDate {
    int year = 0, month = 0, day = 0;
};
CivilDate civilDate(double value)
{
    CivilDate d;
    engine::decodeDate(value, d.year, d.month, d.day);
    return d;
}

} // namespace

TMainFrm::TMainFrm(notes::TDM &dm, const QString &appDir, Environment env, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_dm(dm), m_appDir(appDir), m_env(std::move(env))
{
    // The font dialog starts on 宋体 of 16 pixels (12 points on a 96 dpi screen), black.
    m_lastFont.font = QFont(kSong);
    m_lastFont.font.setPointSizeF(12.0);
    m_lastFont.color = Qt::black;
    createComponents();
}

TMainFrm::~TMainFrm()
{
    // Deleting the editor takes its focus away: that is no reason to store it any more.
    m_rdtAbc->removeEventFilter(this);
    disconnect(m_rdtAbc, nullptr, this, nullptr);
}

double TMainFrm::calendarDateTime() const
{
    return m_chnCalendar->DateTime();
}

// ---------------------------------------------------------------------------------------------
// Components

void TMainFrm::createComponents()
{
    setWindowTitle(QStringLiteral("桌面日历"));
    setMinimumSize(widgets::kMinimumWindowSize);
    resize(widgets::kDesignSize);
    m_frame = new WindowFrame(this);

    // shpBG (white with a pale blue border) lies under imgBG, which covers it whole.
    m_imgBG = new FacePicture({}, this);
    m_imgBG->setMouseTracking(true);
    connect(m_imgBG, &PictureBox::mousePressed, this, [this](Qt::MouseButton) { imgBGMouseDown(); });
    connect(m_imgBG, &PictureBox::mouseMoved, this, &TMainFrm::imgBGMouseMove);

    m_imgLogo = new PictureBox(&widgets::logoPicture, this);
    m_imgLogo->setGeometry(QRect(QPoint(52, 13), widgets::kLogoSize));

    m_imgClose = new CaptionButton(CaptionButton::Kind::Close, 0, this);
    m_imgMini = new CaptionButton(CaptionButton::Kind::Minimise, 1, this);
    connect(m_imgClose, &CaptionButton::normalMouseMove, this, &TMainFrm::img_close_normalMouseMove);
    connect(m_imgClose, &CaptionButton::highlightMouseDown, this, &TMainFrm::img_close_highlightMouseDown);
    connect(m_imgClose, &CaptionButton::highlightClick, this, &TMainFrm::img_close_highlightClick);
    connect(m_imgMini, &CaptionButton::normalMouseMove, this, &TMainFrm::img_mini_normalMouseMove);
    connect(m_imgMini, &CaptionButton::highlightMouseDown, this, &TMainFrm::img_mini_highlightMouseDown);
    connect(m_imgMini, &CaptionButton::highlightClick, this, &TMainFrm::img_mini_highlightClick);

    m_lblDateTime = new QLabel(this);
    m_lblDateTime->setFont(makeFont(FontSpec{QStringLiteral("微软雅黑"), 12, true}));
    setTextColor(m_lblDateTime, drawing::toQColor(0x00000080));
    m_lblDateTime->move(343, 19);

    m_lblSet = new QLabel(QStringLiteral("|  选项"), this);
    m_lblSet->setFont(makeFont(FontSpec{kSong, 12}));
    m_lblSet->setCursor(Qt::PointingHandCursor);
    m_lblSet->adjustSize();
    m_lblSet->installEventFilter(this);

    m_imgAppToDesk = new PictureBox([](qreal dpr) { return widgets::pictureButton(QStringLiteral("添加到桌面"), QSize(84, 29), dpr); }, this);
    m_imgAppToDesk->resize(84, 29);
    m_imgAppToDesk->setCursor(Qt::PointingHandCursor);
    connect(m_imgAppToDesk, &PictureBox::clicked, this, &TMainFrm::imgAppToDeskClick);

    // The editing tools. None of them takes the keyboard focus, so the editor keeps its selection.
    m_imgFont = new PictureBox(&widgets::fontToolPicture, this);
    m_imgFont->setGeometry(QRect(QPoint(317, 58), widgets::kFontToolSize));
    m_imgFont->setCursor(Qt::PointingHandCursor);
    m_imgFont->setToolTip(QStringLiteral("字体大小设置"));
    connect(m_imgFont, &PictureBox::clicked, this, &TMainFrm::imgFontClick);

    auto flatButton = [this](const QString &caption, int pixelSize, QRect place) {
        auto *button = new QToolButton(this);
        button->setText(caption);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFont(makeFont(FontSpec{QStringLiteral("Arial Black"), pixelSize}));
        button->setGeometry(place);
        return button;
    };
    m_btnGou = flatButton(QStringLiteral("√"), 14, QRect(341, 55, 23, 22));
    m_btnX = flatButton(QStringLiteral("X"), 12, QRect(365, 55, 23, 22));
    connect(m_btnGou, &QToolButton::clicked, this, &TMainFrm::btnGouClick);
    connect(m_btnX, &QToolButton::clicked, this, &TMainFrm::btnXClick);

    m_imgDate = new PictureBox([](qreal dpr) { return widgets::smallPictureButton(QStringLiteral("时间"), QSize(37, 21), dpr); }, this);
    m_imgDate->setGeometry(395, 54, 37, 21);
    m_imgDate->setCursor(Qt::PointingHandCursor);
    m_imgDate->setToolTip(QStringLiteral("插入时间"));
    connect(m_imgDate, &PictureBox::clicked, this, &TMainFrm::imgDateClick);

    m_imgRedColor = new PictureBox(&widgets::colourSwatchPicture, this);
    m_imgRedColor->setGeometry(QRect(QPoint(441, 61), widgets::kColourSwatchSize));
    m_imgRedColor->setCursor(Qt::PointingHandCursor);
    m_imgRedColor->setToolTip(QStringLiteral("字体颜色"));
    connect(m_imgRedColor, &PictureBox::clicked, this, &TMainFrm::imgRedColorClick);

    // The note: pngRight (white; its white shape shpRight draws nothing more) holds the bevelled
    // panel pnlABC with the editor.
    m_pngRight = new QWidget(this);
    m_pngRight->setAutoFillBackground(true);
    QPalette white = m_pngRight->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_pngRight->setPalette(white);
    m_pnlABC = new BevelPanel(m_pngRight);

    m_saveNotice = new QLabel(m_pnlABC);
    m_saveNotice->setWordWrap(true);
    m_saveNotice->setFont(makeFont(FontSpec{kSong, 12}));
    m_saveNotice->setAutoFillBackground(true);
    QPalette notice = m_saveNotice->palette();
    notice.setColor(QPalette::Window, QColor(255, 236, 236));
    notice.setColor(QPalette::WindowText, QColor(200, 0, 0));
    m_saveNotice->setPalette(notice);
    m_saveNotice->setContentsMargins(4, 2, 4, 2);
    m_saveNotice->setFocusPolicy(Qt::NoFocus);
    m_saveNotice->hide();

    m_rdtAbc = new QTextEdit(m_pnlABC);
    m_rdtAbc->setObjectName(QStringLiteral("rdtAbc"));
    widgets::setUpNoteEditor(*m_rdtAbc);
    m_rdtAbc->setContextMenuPolicy(Qt::CustomContextMenu);
    m_rdtAbc->installEventFilter(this);
    connect(m_rdtAbc, &QTextEdit::textChanged, this, &TMainFrm::rdtAbcChange);

    // The left panel, bottom to top: shpLeft, imgAddToDesk, pnlWeb with the web panel, the calendar.
    m_pnlLeft = new QWidget(this);
    m_pnlLeft->setGeometry(2, 82, 311, 441);
    const QColor face = widgets::windowFaceColor();
    m_shpLeft = new Shape(face, face, m_pnlLeft);
    m_shpLeft->setGeometry(0, 253, 311, 441 - 253);

    m_imgAddToDesk = new PictureBox([](qreal dpr) { return widgets::pictureButton(QStringLiteral("选择壁纸"), QSize(176, 50), dpr); }, m_pnlLeft);
    m_imgAddToDesk->setGeometry(62, 341, 176, 50);
    m_imgAddToDesk->setStretch(true);
    m_imgAddToDesk->setCursor(Qt::PointingHandCursor);
    connect(m_imgAddToDesk, &PictureBox::clicked, this, &TMainFrm::imgAddToDeskClick);

    m_pnlWeb = new QWidget(m_pnlLeft);
    m_pnlWeb->setGeometry(2, 253, 310, 70);
    m_pnlWeb->setAutoFillBackground(true);
    m_pnlWeb->setPalette(white);
    m_webLink = new WebPanel(m_pnlWeb);
    m_webLink->setGeometry(0, 0, 310, 70);
    m_webLink->setLinkHandler([this](const QUrl &url) { m_env.openUrl(url); });

    m_chnCalendar = new calendar_view::TChnCalendar(m_pnlLeft);
    configureCalendar();

    createMenus();
    connect(m_rdtAbc, &QWidget::customContextMenuRequested, this,
            [this](QPoint pos) { m_pmDeskTopMonCal->popup(m_rdtAbc->viewport()->mapToGlobal(pos)); });

    setTabOrder(m_chnCalendar, m_rdtAbc);
    layoutComponents();
}

void TMainFrm::configureCalendar()
{
    calendar_view::TChnCalendar *c = m_chnCalendar;
    c->setObjectName(QStringLiteral("chnCalendar"));
    c->setGeometry(0, 0, 311, 253);
    c->setAutoFillBackground(true); // its own background, not the panel's
    calendar_view::setUpCalendarLook(*c);
    // The control's window step takes the clock's date itself; the creation step then writes the
    // date the window was given, and from there on every date change loads its note.
    c->initializeWindow();
    c->setShowTitle(true);
    c->OnChange = [this](calendar_view::TChnCalendar *) { chnCalendarChange(); };

    // A press anywhere on the calendar takes the keyboard focus from the editor before the
    // calendar acts on it, so that the editor's leave-save stores the note under the old date.
    c->installEventFilter(this);
    for (QWidget *child : c->findChildren<QWidget *>())
        child->installEventFilter(this);
}


void TMainFrm::createMenus()
{
    auto item = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    auto separator = [](QMenu *menu, const char *name) { menu->addSeparator()->setObjectName(QString::fromLatin1(name)); };

    m_popSysset = new QMenu(this);
    m_popSysset->setObjectName(QStringLiteral("popSysset"));
    connect(item(m_popSysset, "N_help", QStringLiteral("帮助说明")), &QAction::triggered, this, &TMainFrm::N_helpClick);
    connect(item(m_popSysset, "N_Submit", QStringLiteral("意见反馈")), &QAction::triggered, this, &TMainFrm::N_SubmitClick);
    separator(m_popSysset, "N4");
    connect(item(m_popSysset, "N_ExitPrj", QStringLiteral("退出程序")), &QAction::triggered, this, &TMainFrm::N_ExitPrjClick);

    QMenu *m = m_pmDeskTopMonCal = new QMenu(this);
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
    QMenu *tags = m->addMenu(QStringLiteral("添加标注"));
    tags->setObjectName(QStringLiteral("N7"));
    tags->menuAction()->setObjectName(QStringLiteral("N7"));
    connect(item(tags, "N_RedTag", QStringLiteral("红")), &QAction::triggered, this, &TMainFrm::N_RedTagClick);
    connect(item(tags, "N_BlueTag", QStringLiteral("蓝")), &QAction::triggered, this, &TMainFrm::N_BlueTagClick);
    connect(item(tags, "N_FRedTag", QStringLiteral("粉红")), &QAction::triggered, this, &TMainFrm::N_FRedTagClick);
}

void TMainFrm::layoutComponents()
{
    // Anchored components keep their distances to the right (and bottom) edges of the design size.
    const int dw = width() - widgets::kDesignSize.width();
    m_imgBG->setGeometry(rect());
    m_imgClose->move(694 + dw, 1);
    m_imgMini->move(664 + dw, 1); // the normal picture sits at 665
    m_lblSet->move(587 + dw, 56);
    m_imgAppToDesk->move(646 + dw, 45);
    m_pngRight->setGeometry(QRect(QPoint(315, 80), noteEditorSize(size()) + QSize(2 * BevelPanel::kBevel, 2 * BevelPanel::kBevel)));
    m_pnlABC->setGeometry(m_pngRight->rect());
    const QRect inside = m_pnlABC->rect().adjusted(BevelPanel::kBevel, BevelPanel::kBevel, -BevelPanel::kBevel, -BevelPanel::kBevel);
    int noticeHeight = 0;
    if (!m_saveNotice->isHidden()) {
        noticeHeight = m_saveNotice->heightForWidth(inside.width());
        if (noticeHeight <= 0)
            noticeHeight = m_saveNotice->sizeHint().height();
        m_saveNotice->setGeometry(inside.left(), inside.top(), inside.width(), noticeHeight);
    }
    m_rdtAbc->setGeometry(inside.adjusted(0, noticeHeight, 0, 0));
}


// ---------------------------------------------------------------------------------------------
// Creation and showing

void TMainFrm::FormCreate()
{
    if (m_created)
        return;
    m_created = true;
    // Widgets paint double-buffered of their own.
    Backgrounds.currentBackgroundName.clear();
    Backgrounds.entryCount = 0;
    CurrentPage = 0;
    MonthPicturePath = monthPicturePathNow();
    Backgrounds.list.clear();
    m_dm.setNoteReady(false);

    const double now = m_env.now();
    m_calendarChanged = false;
    m_chnCalendar->setDateTime(now);
    if (!m_calendarChanged) // the calendar held that very value already: no change event, but the note is due
        chnCalendarChange();

    const CivilDate today = civilDate(now);
    m_lblDateTime->setText(QStringLiteral("今天是 %1年%2月%3日(%4)").arg(today.year).arg(today.month).arg(today.day).arg(weekdayText(now)));
    m_lblDateTime->adjustSize();

    WallpaperPrompt = true;
    ConfirmResult = 0;
    FlagFilePath = paths::appPath(m_appDir, QString::fromLatin1(kConfigSetBgFile));
    // A file that is empty or does not start with a number counts as missing.
    const std::optional<QStringList> lines = readSettingsLines(FlagFilePath);
    const std::optional<bool> prompt = lines ? parseWallpaperPrompt(*lines) : std::nullopt;
    if (prompt)
        WallpaperPrompt = *prompt;
    else
        writeSettings(QString::fromLatin1(kConfigSetBgFile), {QStringLiteral("1")});

    LoadBackgroundList(false);
}

void TMainFrm::createWallpaperDialogs()
{
    if (m_picSelFrm)
        return;
    dialogs::TPicSelFrm::Services services;
    services.choosePictures = m_env.choosePictures;
    services.showMessage = [this](QWidget *parent, const QString &text) { m_env.showMessage(parent, text, {}); };
    m_picSelFrm = new dialogs::TPicSelFrm(m_appDir, services, this);
    m_inforFrm = new dialogs::TInforFrm(services.showMessage, this);
}

void TMainFrm::FormShow()
{
    LoadWindowSize();
    loadNote();
    m_webLink->navigate(QUrl(QStringLiteral("about:blank")));
    m_webLink->navigate(sitePage(QStringLiteral("rs/Tavemo3.htm")));
    if (!m_unwritableFolder.isEmpty())
        QTimer::singleShot(0, this, &TMainFrm::reportUnwritableFolder);
}

void TMainFrm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_frame->attach();
    if (m_shown || event->spontaneous())
        return;
    m_shown = true;
    FormShow();
}

void TMainFrm::resizeEvent(QResizeEvent *event)
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
    const QString path = paths::appPath(m_appDir, QString::fromLatin1(kFormSizeFile));
    // Fewer than five lines or one that is not a number: the file counts as missing.
    const std::optional<QStringList> lines = readSettingsLines(path);
    const std::optional<FormSize> saved = lines ? parseFormSize(*lines) : std::nullopt;
    if (saved) {
        SavedWidth = saved->width;
        SavedHeight = saved->height;
        SavedLeft = saved->left;
        SavedTop = saved->top;
        CurrentPage = saved->currentPage;
        applyGeometry(SavedWidth, SavedHeight, SavedLeft, SavedTop);
        return;
    }
    const QRect screen = m_env.primaryScreen();
    SavedWidth = widgets::kDefaultWindowSize.width();
    SavedHeight = widgets::kDefaultWindowSize.height();
    SavedLeft = (screen.width() - SavedWidth) / 2;
    SavedTop = (screen.height() - 30 - SavedHeight) / 2;
    CurrentPage = 1;
    applyGeometry(SavedWidth, SavedHeight, SavedLeft, SavedTop);
    writeSettings(QString::fromLatin1(kFormSizeFile), formSizeLines({CurrentPage, SavedWidth, SavedHeight, SavedLeft, SavedTop}));
}

void TMainFrm::SaveWindowSize()
{
    writeSettings(QString::fromLatin1(kFormSizeFile), formSizeLines({CurrentPage, SavedWidth, SavedHeight, SavedLeft, SavedTop}));
}

void TMainFrm::applyGeometry(int width, int height, int left, int top)
{
    resize(width, height); // the minimum size raises what is smaller
    // A position saved on a screen that is gone (a monitor unplugged) would put the window out of
    // reach: it needs a strip of its top, 100 x 10 pixels, on some screen, else it opens centred on
    // the primary screen.
    const QRect topStrip(left, top, this->width(), 20);
    bool reachable = false;
    for (const QRect &screen : m_env.screens()) {
        const QRect seen = screen.intersected(topStrip);
        if (seen.width() >= 100 && seen.height() >= 10)
            reachable = true;
    }
    if (!reachable) {
        const QRect primary = m_env.primaryScreen();
        left = primary.x() + (primary.width() - this->width()) / 2;
        top = primary.y() + (primary.height() - 30 - this->height()) / 2;
    }
    move(left, top);
}

void TMainFrm::writeSettings(const QString &relative, const QStringList &lines)
{
    const QString path = paths::appPath(m_appDir, relative);
    QString error;
    if (writeSettingsLines(path, lines, &error))
        return;
    m_unwritableFolder = QFileInfo(path).absolutePath();
    m_unwritableReason = error;
    if (m_shown)
        reportUnwritableFolder();
}

void TMainFrm::reportUnwritableFolder()
{
    if (m_unwritableReported || m_unwritableFolder.isEmpty())
        return;
    m_unwritableReported = true;
    m_env.showMessage(this,
                      QStringLiteral("无法写入文件夹 %1，窗口的大小、位置和设置将不会被保存。")
                          .arg(QDir::toNativeSeparators(m_unwritableFolder)),
                      m_unwritableReason);
}

// ---------------------------------------------------------------------------------------------
// Calendar and note

void TMainFrm::chnCalendarChange()
{
    m_calendarChanged = true;
    loadNote();
    MonthPicturePath = monthPicturePathNow();
}

QString TMainFrm::monthPicturePathNow() const
{
    const CivilDate today = civilDate(m_env.now());
    return wallpaper::monthPicturePath(m_appDir, QDate(today.year, today.month, today.day));
}

void TMainFrm::loadNote()
{
    const notes::LoadResult result = m_dm.LoadDayNote(calendarDateTime(), *m_rdtAbc->document());
    if (!result.ok())
        m_env.showMessage(isVisible() ? this : nullptr, result.message, result.detail);
}

void TMainFrm::saveNote()
{
    clearProtected(*m_rdtAbc);
    showSaveResult(m_dm.SaveDayNote(calendarDateTime(), *m_rdtAbc->document()));
}

void TMainFrm::showSaveResult(const Outcome &result)
{
    if (result.ok()) {
        if (!m_saveNotice->isHidden()) {
            m_saveNotice->hide();
            layoutComponents();
        }
        return;
    }
    // Shown beside the note rather than in a box, so that typing goes on undisturbed.
    const QString text = QStringLiteral("记事未能保存：") + result.detail;
    if (m_saveNotice->isHidden() || m_saveNotice->text() != text) {
        m_saveNotice->setText(text);
        m_saveNotice->show();
        layoutComponents();
    }
}

void TMainFrm::saveNoteNow()
{
    saveNote();
}

void TMainFrm::rdtAbcChange()
{
    if (CurrentPage != 0 && m_dm.NoteReady())
        saveNote();
}

void TMainFrm::rdtAbcExit()
{
    saveNote();
}

bool TMainFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_rdtAbc) {
        if (event->type() == QEvent::FocusOut)
            rdtAbcExit();
        return false;
    }
    if (watched == m_lblSet) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
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

void TMainFrm::setCaptionStates(CaptionButton::State close, CaptionButton::State mini)
{
    m_imgClose->setState(close);
    m_imgMini->setState(mini);
}

void TMainFrm::imgBGMouseDown()
{
    m_frame->startMove(QCursor::pos());
}

void TMainFrm::imgBGMouseMove()
{
    setCaptionStates(CaptionButton::State::Normal, CaptionButton::State::Normal);
}

void TMainFrm::img_close_normalMouseMove()
{
    setCaptionStates(CaptionButton::State::Highlight, CaptionButton::State::Normal);
}

void TMainFrm::img_close_highlightMouseDown()
{
    setCaptionStates(CaptionButton::State::Down, CaptionButton::State::Normal);
}

void TMainFrm::img_close_highlightClick()
{
    endProgram(Ending::ClosePicture);
}

void TMainFrm::img_mini_normalMouseMove()
{
    setCaptionStates(CaptionButton::State::Normal, CaptionButton::State::Highlight);
}

void TMainFrm::img_mini_highlightMouseDown()
{
    setCaptionStates(CaptionButton::State::Normal, CaptionButton::State::Down);
}

void TMainFrm::img_mini_highlightClick()
{
    setCaptionStates(CaptionButton::State::Normal, CaptionButton::State::Normal);
    showMinimized(); // the taskbar entry stays; restoring it shows the window again
}

void TMainFrm::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    // Leaving the window over a caption button must not leave it lit; a pressed one keeps its look.
    if (m_imgClose->state() == CaptionButton::State::Highlight)
        m_imgClose->setState(CaptionButton::State::Normal);
    if (m_imgMini->state() == CaptionButton::State::Highlight)
        m_imgMini->setState(CaptionButton::State::Normal);
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
        saveNote();
    }
    if (how == Ending::ClosePicture) {
        SavedWidth = width();
        SavedHeight = height();
        SavedLeft = x();
        SavedTop = y();
        SaveWindowSize();
    }
    if (how != Ending::EventLoopEnding)
        m_env.quit();
}

void TMainFrm::closeEvent(QCloseEvent *event)
{
    endProgram(Ending::WindowClosed);
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Options menu and web pages

QUrl TMainFrm::sitePage(const QString &relative) const
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

void TMainFrm::N_helpClick()
{
    m_env.openUrl(sitePage(QStringLiteral("help4/tavemo1.htm")));
}

void TMainFrm::N_SubmitClick()
{
    m_env.openUrl(sitePage(QStringLiteral("help4/tavemo2.htm")));
}

void TMainFrm::N_ExitPrjClick()
{
    endProgram(Ending::ExitCommand);
}

// ---------------------------------------------------------------------------------------------
// Wallpaper

void TMainFrm::LoadBackgroundList(bool selectCurrent)
{
    const wallpaper::ListResult loaded = wallpaper::LoadBackgroundList(Backgrounds, m_appDir, selectCurrent);
    if (!loaded.ok())
        m_env.showMessage(isVisible() ? this : nullptr, loaded.error, {});
}

void TMainFrm::imgAddToDeskClick()
{
    createWallpaperDialogs();
    m_picSelFrm->CurrentName = Backgrounds.currentBackgroundName;
    m_picSelFrm->exec();
    if (m_picSelFrm->CurrentName == Backgrounds.currentBackgroundName) {
        LoadBackgroundList(false);
    } else {
        // The entry just chosen is the one the next application uses.
        Backgrounds.currentBackgroundName = m_picSelFrm->CurrentName;
        LoadBackgroundList(true);
    }
}

bool TMainFrm::isApplyingWallpaper() const
{
    return m_road && m_road->isRunning();
}

void TMainFrm::imgAppToDeskClick()
{
    createWallpaperDialogs();
    if (!m_road) {
        wallpaper::ApplyPieces pieces;
        pieces.appDir = m_appDir;
        pieces.list = &Backgrounds;
        pieces.askFirst = [this] { return WallpaperPrompt; };
        pieces.confirm = [this] { return m_inforFrm->ask(WallpaperPrompt, ConfirmResult, FlagFilePath); };
        pieces.repaint = [this] { repaint(); };
        pieces.capture = [this] { return wallpaper::CaptureNotePicture(*m_rdtAbc, wallpaper::wallpaperFolder(m_appDir)); };
        pieces.monthPicturePath = [this] { return MonthPicturePath; };
        pieces.drawnMonthPicture = [this] {
            const CivilDate today = civilDate(m_env.now());
            return calendar_view::drawMonthPicture(QDate(today.year, today.month, today.day), &calendar_view::setUpCalendarLook);
        };
        m_road = std::make_unique<wallpaper::ApplyToDesktop>(std::move(pieces));
    }
    if (!m_installerMade) {
        // Made once: the desktop does not change while the program runs.
        m_installerMade = true;
        if (m_env.makeWallpaperInstaller)
            m_installer = m_env.makeWallpaperInstaller();
    }
    m_road->pieces().installer = m_installer.get();
    m_road->imgAppToDeskClick([this](const wallpaper::ApplyResult &result) { wallpaperApplied(result); });
}

void TMainFrm::wallpaperApplied(const wallpaper::ApplyResult &result)
{
    if (!result.message.isEmpty())
        m_env.showMessage(this, result.message, {});
}

// ---------------------------------------------------------------------------------------------
// Editing commands

void TMainFrm::replaceSelection(const QString &text)
{
    QTextCursor cursor = m_rdtAbc->textCursor();
    cursor.insertText(text);
    m_rdtAbc->setTextCursor(cursor);
}

void TMainFrm::setSelectionColor(const QColor &color)
{
    QTextCharFormat format;
    format.setForeground(color);
    m_rdtAbc->mergeCurrentCharFormat(format);
}

void TMainFrm::tag(const QColor &color)
{
    setSelectionColor(color);
    replaceSelection(QStringLiteral("█"));
}

void TMainFrm::btnGouClick() { replaceSelection(QStringLiteral("√")); }
void TMainFrm::btnXClick() { replaceSelection(QStringLiteral("×")); }
void TMainFrm::V1Click() { replaceSelection(QStringLiteral("√")); }
void TMainFrm::X1Click() { replaceSelection(QStringLiteral("×")); }
void TMainFrm::N_RedTagClick() { tag(drawing::toQColor(0x000000FF)); }
void TMainFrm::N_BlueTagClick() { tag(drawing::toQColor(0x00FF0000)); }
void TMainFrm::N_FRedTagClick() { tag(drawing::toQColor(0x00FF00FF)); }
void TMainFrm::N1Click() { m_rdtAbc->copy(); }
void TMainFrm::N2Click() { m_rdtAbc->paste(); }
void TMainFrm::N3Click() { m_rdtAbc->cut(); }
void TMainFrm::CtrlZ1Click() { m_rdtAbc->undo(); }

void TMainFrm::N9Click()
{
    QTextCursor cursor = m_rdtAbc->textCursor();
    cursor.removeSelectedText();
    m_rdtAbc->setTextCursor(cursor);
}

void TMainFrm::imgDateClick()
{
    int hour = 0, minute = 0, second = 0, msec = 0;
    engine::decodeTime(m_env.now(), hour, minute, second, msec);
    replaceSelection(QStringLiteral(" %1:%2 ").arg(hour, 2, 10, QLatin1Char('0')).arg(minute, 2, 10, QLatin1Char('0')));
}

void TMainFrm::imgRedColorClick()
{
    if (!m_rdtAbc->hasFocus())
        return;
    const std::optional<QColor> chosen = m_env.chooseColor(this, m_lastColor);
    if (!chosen)
        return;
    m_lastColor = *chosen;
    setSelectionColor(*chosen);
}

void TMainFrm::imgFontClick()
{
    const std::optional<ChosenFont> chosen = m_env.chooseFont(this, m_lastFont);
    if (!chosen)
        return;
    m_lastFont = *chosen;
    const QFont &font = chosen->font;
    QTextCharFormat format;
    // Name, colour, size, pitch, style; the code page of the text follows from the face when the
    // note is written. Han text of a Latin face is shown in the simplified Chinese face.
    QStringList families{font.family()};
    if (font.family() != QLatin1String(drawing::kHanFallbackFamily))
        families << QString::fromLatin1(drawing::kHanFallbackFamily);
    format.setFontFamilies(families);
    format.setForeground(chosen->color);
    format.setFontPointSize(font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75);
    format.setFontFixedPitch(font.fixedPitch());
    format.setFontWeight(font.weight());
    format.setFontItalic(font.italic());
    format.setFontUnderline(font.underline());
    format.setFontStrikeOut(font.strikeOut());
    m_rdtAbc->mergeCurrentCharFormat(format);
}

} // namespace tavemo::app
