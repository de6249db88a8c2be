// The drive combo box of FrFilSys.h. It lists the volumes the directory tree
// shows: "/" and the user's mounts, not snaps, /run or /boot/efi. Volumes of
// the unknown and no-root kinds are never listed; a removable volume is listed
// by its mount point alone, so listing never touches the medium.
#include "controls/FrFilSys.h"
#include "platform/core/StoreChange.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace {

const char* GlyphName(TDriveKind kind)
{
    switch (kind) {
    case dkRemovable:
        return "FRFILBMP_FLOPPY";
    case dkRemote:
        return "FRFILBMP_NETDRIVE";
    case dkCDROM:
        return "FRFILBMP_CDROM";
    case dkRAMDisk:
        return "FRFILBMP_RAM";
    default:
        return "FRFILBMP_FIXEDDISK";
    }
}

bool Contains(const QString& mountPoint, const QString& path)
{
    return mountPoint == "/" || path == mountPoint || path.startsWith(mountPoint + "/");
}

} // namespace

TFrDriveComboBox::TFrDriveComboBox(QWidget* parent) : QComboBox(parent), TFrFramedControl(this)
{
    setMouseTracking(true);
    BuildList();
    connect(this, &QComboBox::activated, this, &TFrDriveComboBox::Chosen);
    AnnounceToSiblings(this);
}

void TFrDriveComboBox::BuildList()
{
    const TMountTable table = ReadMountTable();
    const QString kept = Drive();
    const int height = std::max(FontItemHeight(font()), FrFilSysGlyph("FRFILBMP_FLOPPY").height());
    const QSignalBlocker quiet(this);
    clear();
    mountPoints_.clear();
    for (const TVolume& volume : table.Volumes()) {
        if (!volume.Users || volume.Kind == dkUnknown || volume.Kind == dkNoRootDir ||
            !(driveTypes_ & TDriveTypes::fromInt(1 << volume.Kind)))
            continue;
        const QString& mountPoint = volume.MountPoint;
        QString text = mountPoint + ":";
        if (volume.Kind == dkRemote)
            text += " " + GetNetworkName(table, mountPoint, textCase_);
        else if (volume.Kind != dkRemovable)
            text += " " + GetVolumeLabel(table, mountPoint);
        addItem(QIcon(FrFilSysGlyph(GlyphName(volume.Kind))), text);
        setItemData(count() - 1, QSize(0, height), Qt::SizeHintRole);
        mountPoints_ << mountPoint;
    }
    const int index = int(mountPoints_.indexOf(kept));
    setCurrentIndex(index >= 0 ? index : (count() ? 0 : -1));
}

QString TFrDriveComboBox::Drive() const
{
    const int index = currentIndex();
    return index >= 0 && index < mountPoints_.size() ? mountPoints_[index] : QString();
}

void TFrDriveComboBox::SetDrive(const QString& path)
{
    int found = -1;
    for (int i = 0; i < mountPoints_.size(); ++i)
        if (Contains(mountPoints_[i], path) &&
            (found < 0 || mountPoints_[i].size() > mountPoints_[found].size()))
            found = i;
    if (found < 0 || found == currentIndex())
        return;
    setCurrentIndex(found);
    Chosen(found);
}

// The directory list moves to the chosen volume, unless it is already on it.
void TFrDriveComboBox::Chosen(int index)
{
    if (index < 0)
        return;
    if (dirList_ && !Contains(Drive(), dirList_->Directory()))
        dirList_->SetDirectory(Drive());
    if (OnChange)
        OnChange(this);
}

void TFrDriveComboBox::SetDirList(TFrDirectoryListBox* dirList)
{
    if (dirList == dirList_)
        return;
    if (dirList_)
        dirList_->driveCombo_ = nullptr;
    dirList_ = dirList;
    if (!dirList)
        return;
    dirList->driveCombo_ = this;
    SetDrive(dirList->Directory());
}

void TFrDriveComboBox::SiblingInserted(QObject* sibling)
{
    if (auto* dirList = qobject_cast<TFrDirectoryListBox*>(sibling); dirList && !dirList_)
        SetDirList(dirList);
}

void TFrDriveComboBox::SetDriveTypes(TDriveTypes value)
{
    if (!StoreChange(driveTypes_, value))
        return;
    BuildList();
}

void TFrDriveComboBox::SetTextCase(TTextCase value)
{
    if (!StoreChange(textCase_, value))
        return;
    BuildList();
}

void TFrDriveComboBox::SetColor(TColor value)
{
    if (value == Color())
        return;
    TFrFramedControl::SetColor(value);
    QPalette palette = this->palette();
    const QColor colour = ToQColor(value);
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window})
        palette.setColor(role, colour);
    setPalette(palette);
    update();
}

void TFrDriveComboBox::SetFlatButtons(bool value)
{
    if (!StoreChange(flatButtons_, value))
        return;
    update();
}

bool TFrDriveComboBox::ButtonFlat() const
{
    return flatButtons_ && !focused_ && !MouseOver();
}

void TFrDriveComboBox::UpdateFrameState(bool isMouseEvent, bool value)
{
    if (isMouseEvent)
        SetMouseOver(value);
    else
        focused_ = value;
    if (FrameFlat()) {
        SetFrameStyle(focused_ || MouseOver() ? FrameFocusStyle() : FrameFlatStyle());
        repaint();
    } else if (flatButtons_) {
        const int button = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
        repaint(width() - button, 0, button, height());
    }
}

void TFrDriveComboBox::RepaintFrame()
{
    update();
}

void TFrDriveComboBox::FrameVisibleChanged()
{
    update();
}

// The frame and the flat button are drawn over the platform's own look.
void TFrDriveComboBox::paintEvent(QPaintEvent* event)
{
    QComboBox::paintEvent(event);
    if (!FrameVisible())
        return;
    QPainter canvas(this);
    if (ButtonFlat()) {
        const int scrollWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const QRect button(QPoint(width() - scrollWidth - 2, 2), QPoint(width() - 3, height() - 3));
        canvas.fillRect(button, ToQColor(Color()));
        const int cx = button.left() + scrollWidth / 2 - 1, cy = button.top() + height() / 2;
        canvas.setPen(Qt::NoPen);
        canvas.setBrush(Qt::black);
        const QPoint triangle[] = {{cx, cy}, {cx - 5, cy - 5}, {cx + 5, cy - 5}};
        canvas.drawPolygon(triangle, 3);
    }
    PaintControlFrame(canvas, width(), height(), FrameStyle(), Color(), FrameColor(), FrameSides());
}

void TFrDriveComboBox::focusInEvent(QFocusEvent* event)
{
    QComboBox::focusInEvent(event);
    UpdateFrameState(false, true);
}

void TFrDriveComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    SetMouseOver(false);
    UpdateFrameState(false, false);
}

void TFrDriveComboBox::enterEvent(QEnterEvent* event)
{
    QComboBox::enterEvent(event);
    FrameMouseEnter();
}

void TFrDriveComboBox::leaveEvent(QEvent* event)
{
    QComboBox::leaveEvent(event);
    FrameMouseLeave();
}

void TFrDriveComboBox::resizeEvent(QResizeEvent* event)
{
    QComboBox::resizeEvent(event);
    FrameResized();
}

void TFrDriveComboBox::changeEvent(QEvent* event)
{
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        BuildList();
}
