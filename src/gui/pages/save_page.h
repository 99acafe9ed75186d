// Page 5, "Exportar": the format tabs with their settings, the "Revisión" list beside
// them, "Copiar arquivos", "Empaquetar", "Ver no navegador" and "Gardar".
#pragma once

#include "formats/export_settings.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace vireta {

class SavePage : public QWidget {
    Q_OBJECT

public:
    SavePage();

    // The settings of every tab.
    ExportSettings exportSettings() const;
    // The format of the tab shown ("Outros" stands for the format chosen in it).
    Format chosenFormat() const;
    // What "Gardar" writes: the chosen format, or the SCORM package when the "Web"
    // tab has "Paquete SCORM" checked.
    Format formatToSave() const;
    bool copyFiles() const; // "Copiar arquivos"
    bool pack() const;      // "Empaquetar"

    void selectTab(int index);
    QListWidget* reviewList() const { return listarevision_; }
    // "Revolver respostas" of the "HTML" tab (a finding's place).
    QCheckBox* shuffleAnswersBox() const { return chkrevolver_; }
    void setFormStyle(const QString& path);    // the form page's style sheet
    void setMarkingStyle(const QString& path); // the self-marking page's

signals:
    void formatChanged();
    void shuffleAnswersToggled();
    void saveClicked();
    void browserClicked();
    void printClicked();
    void formStyleWanted();    // the open button of a form page's style sheet
    void markingStyleWanted(); // the self-marking page's

private:
    void ctformatosChange(int index);

    QTabWidget* ctformatos_ = nullptr;
    QLineEdit* txtplant_ = nullptr;
    QLineEdit* estilo_ = nullptr;
    QLineEdit* enviar_ = nullptr;
    QLineEdit* Campo1_ = nullptr;
    QLineEdit* lonx1_ = nullptr;
    QLineEdit* campo2_ = nullptr;
    QLineEdit* lonx2_ = nullptr;
    QLineEdit* oculto_ = nullptr;
    QLineEdit* texto_ = nullptr;
    QCheckBox* chkutf_ = nullptr;
    QCheckBox* chkrevolver_ = nullptr;
    QLineEdit* estilojs_ = nullptr;
    QLineEdit* txboton_ = nullptr;
    QCheckBox* chkunarquivo_ = nullptr; // "Todo nun só arquivo"
    QCheckBox* chkscorm_ = nullptr;     // "Paquete SCORM"
    QWidget* TabSheet6_ = nullptr;      // "Outros": the question banks
    QButtonGroup* outrosformato_ = nullptr;
    QSpinBox* paperVersions_ = nullptr;        // "Modelos:", 1 to 4
    QCheckBox* paperKeyApart_ = nullptr;       // "Solucións á parte"
    QComboBox* paperSize_ = nullptr;           // "Papel:", A4 or US Letter
    QCheckBox* paperShuffleAnswers_ = nullptr; // "Revolver respostas"
    QCheckBox* chkcopia_ = nullptr;
    QCheckBox* chkempaqueta_ = nullptr;
    QToolButton* btnavegador_ = nullptr;
    QListWidget* listarevision_ = nullptr;
};

} // namespace vireta
