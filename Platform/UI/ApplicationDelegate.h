#pragma once

#include "Platform/Foundation/PropertyList.h"

namespace platform {

class Application;

// The application's lifecycle callbacks. Empty defaults.
class ApplicationDelegate {
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
