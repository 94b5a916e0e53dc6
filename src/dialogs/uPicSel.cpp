#include "dialogs/uPicSel.h"

#include "drawing/Drawing.h"
#include "drawing/FontSetup.h"
#include "files/AtomicFile.h"
#include "wallpaper/PictureCodecs.h"
#include "wallpaper/uGlobal.h"
#include "widgets/PictureBox.h"
#include "widgets/WindowFrame.h"
#include "widgets/WindowPictures.h"

#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>

namespace tavemo::dialogs {
namespace {

using namespace wallpaper;

using drawing::FontSpec;
using drawing::makeFont;

// The frame drawn around the list: a 1-pixel rectangle, nothing inside.
class FrameShape : public QFrame {
public:
    FrameShape(QColor pen, QWidget* parent) : QFrame(parent), m_pen(pen) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(m_pen);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    QColor m_pen;
};

bool sameFile(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

QString hintText()
{
    const QString blanks(28, u' ');
    return QStringLiteral("注：可添加多个壁纸大 小1024*768以上") + blanks + QStringLiteral("图像格式：") + blanks +
           QStringLiteral("BMP,JPG");
}

} // namespace

TPicSelFrm::TPicSelFrm(const QString& appDir, Services services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_appDir(appDir), m_services(std::move(services))
{
    setObjectName(QStringLiteral("PicSelFrm"));
    setWindowTitle(QStringLiteral("背景图片选择"));
    setModal(true);
    setFixedSize(kWidth, kHeight);
    m_frame = new widgets::WindowFrame(this, widgets::WindowFrame::Sizing::None);

    m_imgBG = new widgets::PictureBox(
        [](qreal dpr) {
            QImage face(QSize(8, 8) * dpr, QImage::Format_RGB32);
            face.setDevicePixelRatio(dpr);
            face.fill(widgets::windowFaceColor());
            return face;
        },
        this);
    m_imgBG->setStretch(true);
    m_imgBG->setGeometry(rect());
    m_imgBG->setMouseTracking(true);
    connect(m_imgBG, &widgets::PictureBox::mousePressed, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            imgBGMouseDown();
    });
    connect(m_imgBG, &widgets::PictureBox::mouseMoved, this, &TPicSelFrm::imgBGMouseMove);

    m_imgClose = new widgets::CaptionButton(widgets::CaptionButton::Kind::Close, 0, this);
    m_imgClose->move(kWidth - 40, 0); // (484, 0): the top right corner
    connect(m_imgClose, &widgets::CaptionButton::normalMouseMove, this, &TPicSelFrm::img_close_normalMouseMove);
    connect(m_imgClose, &widgets::CaptionButton::highlightMouseDown, this, &TPicSelFrm::img_close_highlightMouseDown);
    connect(m_imgClose, &widgets::CaptionButton::highlightMouseUp, this, &TPicSelFrm::img_close_highlightMouseUp);
    connect(m_imgClose, &widgets::CaptionButton::highlightClick, this, &TPicSelFrm::img_close_highlightClick);
    m_captions.emplace(*m_imgClose);

    m_imgLogo = new widgets::PictureBox(
        [](qreal dpr) { return widgets::titlePicture(QStringLiteral("默认背景"), QSize(200, 57), dpr); }, this);
    m_imgLogo->setGeometry(5, 1, 200, 57);
    m_imgLogo->setAttribute(Qt::WA_TransparentForMouseEvents); // the face under it still drags

    m_shape1 = new FrameShape(drawing::toQColor(0x00808040), this);
    m_shape1->setGeometry(8, 55, 321, 162);

    m_lvPic = new QTreeWidget(this);
    m_lvPic->setObjectName(QStringLiteral("LVpic"));
    m_lvPic->setGeometry(9, 56, 319, 160);
    m_lvPic->setFrameShape(QFrame::NoFrame);
    m_lvPic->setColumnCount(1);
    m_lvPic->setHeaderLabels({QStringLiteral("默认图片")});
    m_lvPic->setColumnWidth(0, 300);
    m_lvPic->setHeaderHidden(true);
    m_lvPic->setRootIsDecorated(false);
    m_lvPic->setItemsExpandable(false);
    m_lvPic->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lvPic->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvPic->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvPic->setIconSize(widgets::kCheckMarkSize);
    m_lvPic->setFont(makeFont(FontSpec{drawing::kSongFamily, 12}));

    m_lblTishi = new QLabel(hintText(), this);
    m_lblTishi->setGeometry(352, 64, 161, 153);
    m_lblTishi->setWordWrap(true);
    m_lblTishi->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblTishi->setAttribute(Qt::WA_TranslucentBackground);
    m_lblTishi->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_lblTishi->setFont(makeFont(FontSpec{QStringLiteral("幼圆"), 15}));

    m_imgSel = new widgets::PictureBox({}, this);
    m_imgSel->setGeometry(408, 168, 105, 105);
    m_imgSel->hide();

    m_btnRemove = widgets::dialogButton(this, QStringLiteral("移  除"), QPoint(12, 240));
    m_btnAdd = widgets::dialogButton(this, QStringLiteral("添  加"), QPoint(108, 240));
    m_btnOk = widgets::dialogButton(this, QStringLiteral("确  定"), QPoint(209, 240));
    connect(m_btnRemove, &QPushButton::clicked, this, &TPicSelFrm::btnRemoveClick);
    connect(m_btnAdd, &QPushButton::clicked, this, &TPicSelFrm::btnAddClick);
    connect(m_btnOk, &QPushButton::clicked, this, &TPicSelFrm::btnOkClick);
}

int TPicSelFrm::exec()
{
    FormShow();
    widgets::centreOverOwner(*this);
    return QDialog::exec();
}

void TPicSelFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_frame->attach();
}

QStringList TPicSelFrm::captions() const
{
    QStringList out;
    for (int i = 0; i < m_lvPic->topLevelItemCount(); ++i)
        out << m_lvPic->topLevelItem(i)->text(0);
    return out;
}

bool TPicSelFrm::isChecked(int row) const
{
    const QTreeWidgetItem* item = m_lvPic->topLevelItem(row);
    return item && !item->icon(0).isNull();
}

void TPicSelFrm::setChecked(QTreeWidgetItem* item, bool checked)
{
    if (checked && m_checkMark.isNull())
        for (qreal dpr : {1.0, 2.0})
            m_checkMark.addPixmap(QPixmap::fromImage(widgets::checkMarkPicture(dpr)));
    item->setIcon(0, checked ? m_checkMark : QIcon());
}

void TPicSelFrm::addEntry(const QString& caption, bool checked)
{
    auto* item = new QTreeWidgetItem(m_lvPic, QStringList{caption});
    setChecked(item, checked);
}

QTreeWidgetItem* TPicSelFrm::firstSelected() const
{
    for (int i = 0; i < m_lvPic->topLevelItemCount(); ++i)
        if (m_lvPic->topLevelItem(i)->isSelected())
            return m_lvPic->topLevelItem(i);
    return nullptr;
}

bool TPicSelFrm::writeList()
{
    const Outcome written = writeBackgroundListFile(m_appDir, CurrentName, captions());
    if (written.ok())
        return true;
    // The window reads the file after the dialog: what is not in it is gone, so the user must know.
    tell(QStringLiteral("背景图片列表没能保存，这次的更改不会生效：%1").arg(written.text()));
    return false;
}

void TPicSelFrm::tell(const QString& text)
{
    if (m_services.showMessage)
        m_services.showMessage(this, text, {});
}

void TPicSelFrm::FormShow()
{
    const Result<QStringList> file = readBackgroundListFile(m_appDir);
    if (file.outcome.failure == Failure::Missing) {
        if (const Outcome written = writeDefaultBackgroundListFile(m_appDir); !written.ok())
            tell(QStringLiteral("背景图片列表没能保存：%1").arg(written.text()));
        CurrentName = kDefaultBackgroundName;
        return;
    }
    if (!file.ok()) {
        tell(file.outcome.text());
        return;
    }
    const QStringList& lines = file.value;
    if (lines.isEmpty())
        return; // no line 1: the dialog stays as it was
    CurrentName = lines.first();
    m_lvPic->clear();
    for (qsizetype i = 1; i < lines.size(); ++i)
        addEntry(lines[i], lines[i] == CurrentName);
}

QString TPicSelFrm::addPicture(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return QStringLiteral("%1：文件不存在。").arg(path);
    const QString copy = wallpaperFile(m_appDir, name);
    if (copy.isEmpty())
        return QStringLiteral("%1：文件名不能使用。").arg(path);
    // A picture chosen from the wallpaper folder itself is already in place.
    if (!sameFile(path, copy))
        if (const Outcome copied = files::copyAtomically(path, copy); !copied.ok())
            return QStringLiteral("%1：%2").arg(name, copied.text());
    const Result<QString> bitmap = PictureToBmp(copy);
    if (!bitmap.ok())
        return bitmap.outcome.text();
    const Result<QImage> loaded = readPicture(bitmap.value);
    if (!loaded.ok())
        return loaded.outcome.text();
    const QImage thumbnail = loaded.value.scaled(m_imgSel->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_imgSel->setDraw([thumbnail](qreal) { return thumbnail; });
    addEntry(QFileInfo(bitmap.value).fileName(), false);
    writeList();
    return {};
}

void TPicSelFrm::btnAddClick()
{
    const QStringList chosen = m_services.choosePictures ? m_services.choosePictures(this) : QStringList();
    QStringList refused;
    for (const QString& path : chosen)
        if (const QString why = addPicture(path); !why.isEmpty())
            refused << why;
    if (!refused.isEmpty())
        tell(QStringLiteral("下列文件没有添加：\n") + refused.join(u'\n'));
}

void TPicSelFrm::btnRemoveClick()
{
    QTreeWidgetItem* first = firstSelected();
    if (!first)
        return;
    const QString caption = first->text(0);
    if (caption == CurrentName) {
        CurrentName = kDefaultBackgroundName;
        for (int i = 0; i < m_lvPic->topLevelItemCount(); ++i)
            setChecked(m_lvPic->topLevelItem(i), m_lvPic->topLevelItem(i)->text(0) == CurrentName);
    }
    // The default background cannot be removed: with it first in the selection nothing goes.
    if (caption != kDefaultBackgroundName)
        qDeleteAll(m_lvPic->selectedItems());
    writeList();
}

void TPicSelFrm::btnOkClick()
{
    QTreeWidgetItem* first = firstSelected();
    if (first && first->text(0) != CurrentName) {
        CurrentName = first->text(0);
        writeList();
        for (int i = 0; i < m_lvPic->topLevelItemCount(); ++i)
            setChecked(m_lvPic->topLevelItem(i), m_lvPic->topLevelItem(i)->text(0) == CurrentName);
    }
    accept();
}

void TPicSelFrm::imgBGMouseDown() { m_frame->startMove(QCursor::pos()); }

void TPicSelFrm::imgBGMouseMove() { m_captions->on(widgets::CaptionButtons::Event::BackgroundMove); }

void TPicSelFrm::img_close_normalMouseMove() { m_captions->on(widgets::CaptionButtons::Event::CloseNormalMove); }

void TPicSelFrm::img_close_highlightMouseDown() { m_captions->on(widgets::CaptionButtons::Event::CloseHighlightDown); }

void TPicSelFrm::img_close_highlightMouseUp() { m_captions->on(widgets::CaptionButtons::Event::CloseHighlightUp); }

void TPicSelFrm::img_close_highlightClick() { reject(); }

} // namespace tavemo::dialogs
