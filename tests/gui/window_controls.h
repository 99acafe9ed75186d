// The window's controls as the tests reach them: by their Qt object names, the way a
// person reaches them by their captions. A name the window lacks stops the test run.
#pragma once

#include "preview_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>

// (the C++ type, the name the tests use, the control's object name)
#define VIRETA_WINDOW_CONTROLS(X)                                                                  \
    X(QStackedWidget, nota, "nota") X(QLabel, seccion, "seccion") X(QLabel, aviso, "aviso")        \
    X(QWidget, page1, "page1") X(QWidget, page2, "page2") X(QWidget, page3, "page3")               \
    X(QWidget, page4, "page4") X(QWidget, page5, "page5") X(QWidget, page6, "page6")               \
    X(QFrame, Panel4, "Panel4") X(QFrame, panelb, "panelb") X(QFrame, panelpr, "panelpr")          \
    X(QFrame, Panel17, "Panel17")                                                                  \
    X(QToolButton, btinicio, "btinicio") X(QToolButton, btpreg, "btpreg")                          \
    X(QToolButton, btfinal, "btfinal") X(QToolButton, btnovo, "btnovo")                            \
    X(QToolButton, btabrir, "btabrir") X(QToolButton, btimportar, "btimportar")                    \
    X(QToolButton, btgardar, "btgardar") X(QToolButton, btclase, "btclase")                        \
    X(QToolButton, btexportar, "btexportar") X(QToolButton, btaxuda, "btaxuda")                    \
    X(QLineEdit, titulotx, "titulotx") X(QLineEdit, subtitulotx, "subtitulotx")                    \
    X(QLineEdit, tempotx, "tempotx") X(QCheckBox, ordech, "ordech") X(QLineEdit, axudatx, "axudatx") \
    X(QLineEdit, autortx, "autortx") X(QPlainTextEdit, introtx, "introtx")                         \
    X(QLineEdit, sontx, "sontx") X(QLineEdit, txtcorcomun, "txtcorcomun")                          \
    X(QLineEdit, txtincorcomun, "txtincorcomun") X(QLineEdit, txtsoncorcomun, "txtsoncorcomun")    \
    X(QLineEdit, txtsonincorcomun, "txtsonincorcomun")                                             \
    X(QLineEdit, txtpreg, "txtpreg") X(QLineEdit, txtresp1, "txtresp1")                            \
    X(QLineEdit, txtresp2, "txtresp2") X(QLineEdit, txtresp3, "txtresp3")                          \
    X(QLineEdit, txtresp4, "txtresp4") X(QLineEdit, txtimaxe, "txtimaxe") X(QLineEdit, txtson, "txtson") \
    X(QLineEdit, txtcor, "txtcor") X(QLineEdit, txtsoncor, "txtsoncor")                            \
    X(QLineEdit, txtincor, "txtincor") X(QLineEdit, txtsonincor, "txtsonincor")                    \
    X(QLineEdit, txtenlace, "txtenlace") X(vireta::PreviewBox, imaxe, "imaxe")                     \
    X(QComboBox, cbtipo, "cbtipo") X(QLabel, lbcorrecta1, "lbcorrecta1")                           \
    X(QCheckBox, chkcorrecta1, "chkcorrecta1") X(QCheckBox, chkcorrecta2, "chkcorrecta2")          \
    X(QCheckBox, chkcorrecta3, "chkcorrecta3") X(QCheckBox, chkcorrecta4, "chkcorrecta4")          \
    X(QRadioButton, optverdadeiro, "optverdadeiro") X(QRadioButton, optfalso, "optfalso")          \
    X(QToolButton, btretro1, "btretro1") X(QToolButton, btretro2, "btretro2")                      \
    X(QToolButton, btretro3, "btretro3") X(QToolButton, btretro4, "btretro4")                      \
    X(QLineEdit, txtretro, "txtretro")                                                             \
    X(QToolButton, btmostra, "btmostra") X(QToolButton, SpeedButton20, "SpeedButton20")            \
    X(QToolButton, SpeedButton21, "SpeedButton21") X(QToolButton, SpeedButton22, "SpeedButton22")  \
    X(QToolButton, btinserir, "btinserir") X(QToolButton, SpeedButton24, "SpeedButton24")          \
    X(QToolButton, SpeedButton25, "SpeedButton25") X(QLineEdit, npreg, "npreg")                    \
    X(QToolButton, btira, "btira") X(QToolButton, SpeedButton14, "SpeedButton14")                  \
    X(QLabel, lbtotal, "lbtotal") X(QToolButton, btdesfacer, "btdesfacer")                         \
    X(QToolButton, btrefacer, "btrefacer")                                                         \
    X(QListWidget, listapreguntas, "listapreguntas") X(QToolButton, btordea, "btordea")            \
    X(QToolButton, btsubir, "btsubir") X(QToolButton, btbaixar, "btbaixar")                        \
    X(QTabWidget, ctformatos, "ctformatos") X(QLineEdit, estilo, "estilo")                         \
    X(QLineEdit, lonx1, "lonx1") X(QLineEdit, lonx2, "lonx2") X(QLineEdit, texto, "texto")         \
    X(QCheckBox, chkutf, "chkutf") X(QCheckBox, chkrevolver, "chkrevolver")                        \
    X(QLineEdit, estilojs, "estilojs") X(QCheckBox, chkunarquivo, "chkunarquivo")                  \
    X(QCheckBox, chkscorm, "chkscorm") X(QSpinBox, notaaprobar, "notaaprobar")                     \
    X(QWidget, paperTab, "TabSheet7") X(QSpinBox, paperVersions, "paperVersions")                  \
    X(QCheckBox, paperKeyApart, "paperKeyApart") X(QComboBox, paperSize, "paperSize")              \
    X(QCheckBox, paperShuffleAnswers, "paperShuffleAnswers") X(QToolButton, paperPrint, "paperPrint") \
    X(QCheckBox, chkcopia, "chkcopia") X(QCheckBox, chkempaqueta, "chkempaqueta")                  \
    X(QToolButton, btgarda, "btgarda") X(QToolButton, btnavegador, "btnavegador")                  \
    X(QListWidget, listarevision, "listarevision") X(QWidget, TabSheet6, "TabSheet6")              \
    X(QRadioButton, optmoodle, "optmoodle") X(QRadioButton, optgift, "optgift")                    \
    X(QRadioButton, optaiken, "optaiken") X(QRadioButton, optcsv, "optcsv")                        \
    X(QLineEdit, bentx, "bentx") X(QLineEdit, sonbentx, "sonbentx") X(QLineEdit, maltx, "maltx")   \
    X(QLineEdit, sonmaltx, "sonmaltx")

struct WindowControls {
#define VIRETA_DECLARE_CONTROL(type, name, object) type* name = nullptr;
    VIRETA_WINDOW_CONTROLS(VIRETA_DECLARE_CONTROL)
#undef VIRETA_DECLARE_CONTROL

    explicit WindowControls(QWidget& window) {
#define VIRETA_FIND_CONTROL(type, name, object)                                                     \
    name = window.findChild<type*>(QStringLiteral(object));                                        \
    if (!name)                                                                                     \
        qFatal("the window has no control named %s", object);
        VIRETA_WINDOW_CONTROLS(VIRETA_FIND_CONTROL)
#undef VIRETA_FIND_CONTROL
    }
};
