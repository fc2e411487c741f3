// ShellHooks for TForm1: the panels own the settings file and the two panel databases.
#include "panels/panelcontroller.h"
#include "panels/shellhooks.h"

#include <QKeyEvent>
#include <QTreeWidget>
#include <QVariant>
#include <unistd.h>

#include "panels/demodata.h"
#include "panels/paneltools.h"
#include "panels/settings.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "shell/qtext.h"

namespace vlm::panels {

namespace {

class PanelHooks : public shell::ShellHooks {
public:
    explicit PanelHooks(std::shared_ptr<shell::Prompts> prompts) : prompts_(std::move(prompts)) {}
    std::shared_ptr<shell::Prompts> prompts() override { return prompts_; }

    std::string readShowStartForm(const std::string& programDir) override {
        return panels::readShowStartForm(settingsReadPath(programDir));
    }

    void loadSettings(shell::TForm1& form, shell::ShellSettings& s) override {
        std::string dir = shell::fromQ(form.programDir());
        panels_ = new TPanels(form, dir);
        form.setProperty("vlmPanels", QVariant::fromValue(static_cast<QObject*>(panels_)));
        registerPanelCommands(*panels_, form.commands());
        registerPanelTools(*panels_, form.commands());
        const bool firstStart = ::access(settingsReadPath(dir).c_str(), F_OK) != 0;
        panels_->loadSettings(s);
        if (firstStart) {
            // No settings file: the demo folder at the left, the Firebird demo at the right.
            DemoDatabases demo = ensureDemoDatabases();
            for (const auto& e : demo.errors) panels_->showError(shell::toQ(e));
            panels_->settings().left.databaseName = demo.folder;
            panels_->settings().right.databaseName = demo.firebird;
            if (!demo.firebird.empty()) {
                panels_->settings().right.userName = kDemoUser;
                panels_->settings().right.password = kDemoPassword;
            }
            noLoginLeft_ = true;
        }
    }

    void startPanels(shell::TForm1&) override {
        if (!panels_) return;
        if (noLoginLeft_) {
            // The demo folder needs no login: a placeholder user keeps the start-up dialog away.
            auto saved = panels_->runLogin;
            panels_->runLogin = [](const QString&, std::string&, std::string&) { return true; };
            panels_->startPanels();
            panels_->runLogin = saved;
        } else {
            panels_->startPanels();
        }
    }

    void buildPanels(shell::TForm1&) override {
        if (panels_) panels_->buildPanelsAtStart();
    }

    bool keyDown(shell::TForm1&, QKeyEvent& key) override { return panels_ && panels_->keyDown(key); }

    void closeConnections(shell::TForm1&) override {
        if (panels_) panels_->closeConnections();
    }

    void saveSettings(shell::TForm1&, const shell::ShellSettings& s) override {
        if (panels_) panels_->saveSettings(s);
    }

    void languageApplied(shell::TForm1&) override {
        if (!panels_) return;
        // A re-captioned window names the list columns anew.
        panels_->retitleColumns();
    }

    void mainWindowDestroying(shell::TForm1& form) override {
        // The panels go before the window's controls do: deleting them removes their event
        // filters and connections, and closes the windows that call back into them.
        form.setProperty("vlmPanels", QVariant());
        delete panels_;
        panels_ = nullptr;
    }

private:
    std::shared_ptr<shell::Prompts> prompts_;
    TPanels* panels_ = nullptr;   // a child of the main window, deleted first when it goes
    bool noLoginLeft_ = false;
};

}  // namespace

std::shared_ptr<shell::ShellHooks> makeShellHooks(std::shared_ptr<shell::Prompts> prompts) {
    return std::make_shared<PanelHooks>(std::move(prompts));
}

TPanels* panelsOf(shell::TForm1& form) {
    return qobject_cast<TPanels*>(form.property("vlmPanels").value<QObject*>());
}

}  // namespace vlm::panels
