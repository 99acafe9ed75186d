// Page 3, "Final": the messages and sounds of the end of the game.

#include "pages/page_parts.h"
#include "preguntas.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>

namespace vireta {

void TForm1::buildEndPage() {
    page3 = new QWidget;
    page3->setObjectName(QStringLiteral("page3"));
    nota->addWidget(page3);
    Panel17 = makePanel(page3, "Panel17");
    Panel17->setGeometry(40, 70, 619, 328);
    auto* heading = makeCaption(Panel17, QStringLiteral("Mensaxes ao rematar o xogo"), 20, 0, 400);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);

    bentx =
        addLabelledBox(Panel17, "bentx", QStringLiteral("Xogo finalizado ben."), 20, 40, 170, 400);
    sonbentx = addPathBox(Panel17, "sonbentx", "btabrson7", "btponson7", 162, 74, 456,
                          QStringLiteral("Son do xogo finalizado ben"));
    maltx =
        addLabelledBox(Panel17, "maltx", QStringLiteral("Xogo finalizado mal."), 20, 140, 170, 400);
    sonmaltx = addPathBox(Panel17, "sonmaltx", "btabrson8", "btponson8", 162, 174, 456,
                          QStringLiteral("Son do xogo finalizado mal"));
}

} // namespace vireta
