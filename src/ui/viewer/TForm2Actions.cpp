// The viewer's enabled states, all set here from what the window and its document are
// doing: the commands change the flags and call updateActions.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QToolButton>

#include "ui/viewer/CategoryPanelWidget.h"
#include "ui/viewer/DrawingPanel.h"
#include "ui/viewer/TForm2.h"

namespace vellumo {

void TForm2::updateActions() {
    const ActionState& s = actions_;
    for (QAction* a : {S1, Print}) a->setEnabled(s.pictureCommands);
    for (QMenu* m : {V1, N2, C1}) m->menuAction()->setEnabled(s.pictureCommands);
    Button8->setEnabled(s.saveCommand);
    for (CategoryPanel* p : {CategoryPanel1, CategoryPanel2, CategoryPanel3, CategoryPanel4})
        p->setEnabled(s.toolPanels);
    CategoryPanel6->setEnabled(s.toolPanels);
    BitBtn3->setEnabled(s.inkColour);
    for (QWidget* w : std::initializer_list<QWidget*>{Label4, Label5, Label6, Label7, Edit1,
                                                      TrackBar1, CheckBox2})
        w->setEnabled(s.thresholdControls);
    Button9->setEnabled(!s.reducing);
    Button10->setEnabled(s.reductionReload);
    Button4->setEnabled(s.cropCancel);
    Button12->setEnabled(s.cropExecute);
    Button6->setEnabled(s.cropReload);
    // While the converter runs only 中止, Esc and the close act; the panels keep their own
    // states beneath.
    Panel1->setEnabled(!s.pdfConverting);
    ScrollBox1->setEnabled(!s.pdfConverting);
    menuBar()->setEnabled(!s.pdfConverting);
    CancelKey->setEnabled(s.pdfConverting);
}

}  // namespace vellumo
