#pragma once

#include "CommandResponder.h"
#include "Platform/Foundation/PropertyList.h"

namespace platform {

class Application;

// The application's lifecycle callbacks. Empty defaults. The delegate is the
// last link of the command chain: it answers what concerns the application as
// a whole (open a page from anywhere, play a sound of the board).
class ApplicationDelegate : public CommandResponder {
  public:
    virtual ~ApplicationDelegate() = default;
    virtual bool applicationDidFinishLaunchingWithOptions(
        Application&, const PlistDictionary* /*launchOptions*/) {
        return true;
    }
    virtual void applicationWillResignActive(Application&) {}
    virtual void applicationDidEnterBackground(Application&) {}
    virtual void applicationWillEnterForeground(Application&) {}
    virtual void applicationDidBecomeActive(Application&) {}
    virtual void applicationWillTerminate(Application&) {}
    virtual void applicationDidReceiveMemoryWarning(Application&) {}
};

}  // namespace platform
