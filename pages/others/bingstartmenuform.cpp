#include "bingstartmenuform.h"
#include "ui_bingstartmenuform.h"

#include "krutils.h"
#include "pagelayout.h"

namespace {

// The policy value "DisableSearchBoxSuggestions" turned round: the setting is the choice shown, 1 (enabled)
// while the policy is 0 or absent, 0 for any other policy value. A choice is written back as its policy.
IntStore suggestionsShown()
{
    const IntStore policy =
        registryDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Policies\\Microsoft\\Windows\\Explorer"),
                      QStringLiteral("DisableSearchBoxSuggestions"));
    IntStore store = policy;
    store.read = [read = policy.read](int *value) {
        int disabled = 0;
        const bool ok = read(&disabled);
        *value = disabled == 0 ? 1 : 0;
        return ok;
    };
    store.write = [write = policy.write](int shown) { return write(shown == 0 ? 1 : 0); };
    return store;
}

} // namespace

BingStartMenuForm::BingStartMenuForm(QWidget *parent)
    : SettingPage(QStringLiteral("Others"), QStringLiteral("bing web search start menu"), parent),
      ui(new Ui::BingStartMenuForm),
      bingResults(this, 106, suggestionsShown(), 1,
                  {{QStringLiteral("Disable"), QStringLiteral("Disable Bing search results in the Start menu.")},
                   {QStringLiteral("Enable (Default)"),
                    QStringLiteral("Enable Bing search results in the Start menu (default).")}},
                  1)
{
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    pagelayout::standard(this, ui->BingStartMenuGroupBox, {ui->BingStartMenuDescLabel, ui->BingStartMenuImage},
                         {{ui->BingStartMenuComboBox, ui->BingStartMenuPushButton}});
    bingResults.bind(ui->BingStartMenuComboBox);
    loadSetting();
}

BingStartMenuForm::~BingStartMenuForm()
{
    delete ui;
}

bool BingStartMenuForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(106, fromStored, removeValue, storedValue);
}

void BingStartMenuForm::on_BingStartMenuComboBox_currentIndexChanged(int)
{
    bingResults.report();
}

void BingStartMenuForm::on_BingStartMenuPushButton_clicked()
{
    bingResults.setDefault();
}
