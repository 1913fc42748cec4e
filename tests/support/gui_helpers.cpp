#include "gui_helpers.h"

#include "help/help.h"

GuiTestEnvironment::GuiTestEnvironment()
{
    Messages::setAutoAnswer(true);
    Messages::clearShown();
    Help::setOpener([](const QUrl&) { return true; });
}

GuiTestEnvironment::~GuiTestEnvironment()
{
    Messages::clearShown();
}
