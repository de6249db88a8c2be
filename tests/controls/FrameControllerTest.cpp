// The frame controller pushes its settings through the controls' published
// properties; the framed tree view takes part in the storage rule, free
// notification, and the hover and focus looks; its frame replaces the border.
#include "FrameTestSupport.h"
#include "controls/FrTreeVw.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QImage>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// A control that publishes some of the frame names and logs every write.
class ProbeControl : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool UseFrameController MEMBER use)
    Q_PROPERTY(bool ParentColor READ False WRITE SetParentColor)
    Q_PROPERTY(quint32 Color READ Zero WRITE SetColor)
    Q_PROPERTY(bool FrameVisible READ False WRITE SetFrameVisible)
    Q_PROPERTY(Fr::TFrameStyle FrameStyle READ Style WRITE SetFrameStyle)
    Q_PROPERTY(Fr::TSides FrameSides READ Sides WRITE SetFrameSides)
    Q_PROPERTY(bool FrameFlat READ False)                        // read-only: never written
    Q_PROPERTY(QString FrameColor READ Text WRITE SetFrameColor) // wrong kind: never written

public:
    bool use = true;
    QStringList log;

    bool False() const { return false; }
    quint32 Zero() const { return 0; }
    TFrameStyle Style() const { return fsNone; }
    TSides Sides() const { return {}; }
    QString Text() const { return {}; }
    void SetParentColor(bool v) { log << QString("ParentColor=%1").arg(v); }
    void SetColor(quint32 v) { log << QString("Color=%1").arg(v, 0, 16); }
    void SetFrameVisible(bool v) { log << QString("FrameVisible=%1").arg(v); }
    void SetFrameStyle(TFrameStyle v) { log << QString("FrameStyle=%1").arg(int(v)); }
    void SetFrameSides(TSides v) { log << QString("FrameSides=%1").arg(int(v)); }
    void SetFrameColor(const QString& v) { log << "FrameColor=" + v; }
};

} // namespace

TEST(FrameController, LinkingAppliesEverySettingInOrder)
{
    TFrFrameController controller;
    controller.SetFrameStyle(fsGroove);
    controller.SetFrameSides(sdLeft | sdRight);
    controller.SetFrameVisible(true);
    ProbeControl probe;
    controller.AddControl(&probe);
    EXPECT_EQ(probe.log.join(' '), "ParentColor=0 Color=80000005 FrameSides=5 FrameStyle=2 "
                                   "FrameVisible=1");
    probe.log.clear();
    controller.AddControl(&probe);
    EXPECT_TRUE(probe.log.isEmpty()) << "a control is linked once";
}

TEST(FrameController, EachChangeIsPushedOnceAndOnlyWhenItChanges)
{
    TFrFrameController controller;
    ProbeControl probe, other;
    controller.AddControl(&probe);
    controller.AddControl(&other);
    probe.log.clear();
    other.log.clear();

    controller.SetFrameStyle(fsFlat); // the default: nothing to push
    controller.SetFrameStyle(fsBump);
    controller.SetColor(RGB(1, 2, 3));
    controller.SetParentColor(true);
    controller.SetParentColor(false); // pushes ParentColor, then Color again
    EXPECT_EQ(probe.log.join(' '),
              "FrameStyle=3 Color=30201 ParentColor=1 ParentColor=0 Color=30201");
    EXPECT_EQ(other.log, probe.log);

    probe.log.clear();
    controller.SetFrameFlat(true); // FrameVisible through its setter, then FrameFlat
    EXPECT_EQ(probe.log.join(' '), "FrameVisible=1");
    EXPECT_EQ(controller.FrameStyle(), fsStatus) << "flat takes the flat style";
    EXPECT_EQ(controller.FrameSides(), AllSides);
}

TEST(FrameController, ControlsThatOptOutReceiveNothing)
{
    TFrFrameController controller;
    ProbeControl probe;
    probe.use = false;
    controller.AddControl(&probe);
    controller.SetFrameStyle(fsBump);
    EXPECT_TRUE(probe.log.isEmpty());

    QObject notAWidget;
    controller.AddControl(&notAWidget); // no control: ignored without harm
    controller.SetFrameStyle(fsGroove);
    EXPECT_TRUE(probe.log.isEmpty());
}

TEST(FrameController, LoadingKeepsTheSidesAndStyleRead)
{
    TFrFrameController controller;
    controller.BeginLoading();
    controller.SetFrameSides(sdTop);
    controller.SetFrameStyle(fsBump);
    controller.SetFrameFlat(true);
    EXPECT_EQ(controller.FrameSides(), TSides(sdTop));
    EXPECT_EQ(controller.FrameStyle(), fsBump);
    ProbeControl probe;
    controller.AddControl(&probe);
    probe.log.clear();
    controller.Loaded();
    EXPECT_TRUE(probe.log.contains("FrameStyle=3")) << "the end of loading pushes everything";
}

TEST(FramedTreeView, ControllerDrivesTheTreeAndItsStorage)
{
    TFrCustomTreeView tree;
    const QStringList frameNames{"Color",           "FrameColor", "FrameFlat",  "FrameFlatStyle",
                                 "FrameFocusStyle", "FrameSides", "FrameStyle", "FrameVisible"};
    for (const QString& name : frameNames)
        EXPECT_TRUE(StoredProperties(tree).contains(name)) << name.toStdString();

    auto* controller = new TFrFrameController;
    controller->SetFrameStyle(fsGroove);
    controller->SetFrameVisible(true);
    controller->SetColor(RGB(0, 128, 128));
    tree.SetFrameController(controller);
    EXPECT_EQ(tree.FrameStyle(), fsGroove) << "linking applies the settings at once";
    EXPECT_TRUE(tree.FrameVisible());
    EXPECT_EQ(tree.Color(), RGB(0, 128, 128));
    controller->SetFrameSides(sdTop);
    EXPECT_EQ(tree.FrameSides(), TSides(sdTop));

    const QStringList stored = StoredProperties(tree);
    for (const QString& name : frameNames)
        EXPECT_FALSE(stored.contains(name)) << name.toStdString() << " comes from the controller";
    EXPECT_TRUE(stored.contains("FrameController"));
    EXPECT_TRUE(stored.contains("UseFrameController"));

    tree.SetUseFrameController(false);
    controller->SetFrameStyle(fsBump);
    EXPECT_EQ(tree.FrameStyle(), fsGroove) << "a tree that opted out keeps its own frame";
    EXPECT_TRUE(StoredProperties(tree).contains("FrameStyle"));

    delete controller;
    EXPECT_EQ(tree.FrameController(), nullptr) << "free notification clears the link";
}

TEST(FrameController, ColorIsStoredOnlyWithoutParentColor)
{
    TFrFrameController controller;
    EXPECT_TRUE(StoredProperties(controller).contains("Color"));
    controller.SetParentColor(true);
    EXPECT_FALSE(StoredProperties(controller).contains("Color"));
}

TEST(FrameController, ADestroyedControlLeavesTheList)
{
    TFrFrameController controller;
    {
        TFrCustomTreeView tree;
        tree.SetFrameController(&controller);
        EXPECT_EQ(controller.Controls().size(), 1);
    }
    EXPECT_TRUE(controller.Controls().isEmpty());
    controller.SetFrameStyle(fsBump); // would touch a freed control
}

TEST(FramedTreeView, FlatFrameTakesTheFocusStyleOnHoverAndFocus)
{
    TFrCustomTreeView tree;
    tree.SetFrameFlat(true);
    EXPECT_TRUE(tree.FrameVisible()) << "a flat frame is visible";
    EXPECT_EQ(tree.FrameStyle(), fsStatus);

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&tree, &enter);
    EXPECT_TRUE(tree.MouseOver());
    EXPECT_EQ(tree.FrameStyle(), fsLowered);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&tree, &leave);
    EXPECT_EQ(tree.FrameStyle(), fsStatus);

    int entered = 0;
    tree.OnMouseEnter = [&](QObject* sender) { entered += sender == &tree; };
    QApplication::sendEvent(&tree, &enter);
    EXPECT_EQ(entered, 1);
    QApplication::sendEvent(&tree, &leave);

    tree.SetFrameFlat(false);
    QApplication::sendEvent(&tree, &enter);
    EXPECT_EQ(tree.FrameStyle(), fsStatus) << "only a flat frame changes its look";
}

TEST(FramedTreeView, FramePaintedInPlaceOfTheBorder)
{
    FixedPalette palette;
    TFrCustomTreeView tree;
    tree.resize(60, 40);
    tree.SetFrameColor(RGB(200, 0, 0));
    tree.SetFrameVisible(true);
    tree.show();
    EXPECT_EQ(tree.viewport()->geometry().topLeft(), QPoint(2, 2)) << "inside a 2-pixel border";

    const QImage flat = tree.grab().toImage();
    EXPECT_EQ(flat.pixelColor(0, 0), QColor(200, 0, 0));
    EXPECT_EQ(flat.pixelColor(59, 39), QColor(200, 0, 0));
    EXPECT_EQ(flat.pixelColor(1, 1), ToQColor(clWindow)) << "the inner ring takes the colour";

    tree.SetFrameStyle(fsStatus);
    const QImage status = tree.grab().toImage();
    EXPECT_EQ(status.pixelColor(0, 0), ToQColor(clBtnShadow));
    EXPECT_EQ(status.pixelColor(59, 39), ToQColor(clBtnHighlight));

    tree.SetFrameVisible(false);
    EXPECT_EQ(tree.frameShape(), QFrame::StyledPanel) << "the platform border comes back";
}

TEST(FramedTreeView, SelectionOutlineWithoutTheFocus)
{
    TFrCustomTreeView tree;
    tree.resize(120, 80);
    auto* node = new QTreeWidgetItem(&tree, {"node"});
    tree.setCurrentItem(node);
    tree.SetSelectionPen(QPen(QColor(255, 0, 255)));
    const QPoint corner = tree.viewport()->mapTo(&tree, tree.visualItemRect(node).topLeft());
    tree.SetHideSelection(true);
    EXPECT_NE(tree.grab().toImage().pixelColor(corner), QColor(255, 0, 255));
    tree.SetHideSelection(false);
    EXPECT_EQ(tree.grab().toImage().pixelColor(corner), QColor(255, 0, 255));
}

TEST(FramedTreeView, WheelScrollsByLinesAndNeverAboveTheTop)
{
    TFrCustomTreeView tree;
    tree.resize(120, 60);
    for (int i = 0; i < 40; ++i)
        new QTreeWidgetItem(&tree, {QString::number(i)});
    tree.show();
    QScrollBar* bar = tree.verticalScrollBar();
    const int lines = QApplication::wheelScrollLines();
    const auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(10, 10), tree.mapToGlobal(QPointF(10, 10)), {}, {0, delta},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(tree.viewport(), &event);
    };
    const struct
    {
        const char* what;
        int start;
        QList<int> deltas;
        int position;
    } cases[] = {
        {"one step down", 0, {-120}, lines},
        {"a step up from just below the top reaches it", lines - 1, {120}, 0},
        {"a step up", lines + 1, {120}, 1},
        {"a touchpad's small deltas add up", 0, {-40, -40, -40}, lines},
        {"fractions short of a step move nothing", 0, {-40, -40}, 0},
    };
    for (const auto& c : cases) {
        tree.setProperty("wheelRemainder", 0);
        bar->setValue(c.start);
        for (int delta : c.deltas)
            wheel(delta);
        EXPECT_EQ(bar->value(), c.position) << c.what;
    }
}

TEST(FramedTreeView, AutoSelectAndAutoExpandExcludeEachOther)
{
    TFrCustomTreeView tree;
    auto* parent = new QTreeWidgetItem(&tree, {"parent"});
    new QTreeWidgetItem(parent, {"child"});
    tree.SetAutoExpand(true);
    tree.SetAutoSelect(true);
    EXPECT_FALSE(tree.AutoExpand());
    parent->setExpanded(true);
    EXPECT_EQ(tree.currentItem(), parent) << "expanding selects";
    tree.SetAutoExpand(true);
    EXPECT_FALSE(tree.AutoSelect());
}

#include "FrameControllerTest.moc"
