#pragma once

#include "Platform/Foundation/PropertyList.h"

#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>

// A dictionary of property-list values bound to a property-list file: loaded when the
// preference is made, written back only when asked (writeToFile) or when the class drops
// it as the main preference. Nothing is written at exit.
//
// The class keeps one main preference, loaded from "mainpreference.plist" in the
// documents folder by the class initialisation, which runs once, on the first use of the
// class: any class operation or the making of any preference. It is safe to race the
// first use from several threads; everything else about the store, the main dictionary
// included, is for one thread.
//
// Derived classes: C++ has no per-class initialisation of its own, so a derived class
// states it. `initializeClass<Derived>()` runs the class initialisation for Derived once
// per process: the file is read again into a new main preference, and the one it replaces
// is written to its file first. A derived class without an initialisation of its own
// calls it from its first use (its factory); one with its own does its own work instead.
// SPPreference's own operations run `initializeClass<SPPreference>()`.
class SPPreference {
    class ConstructionKey {
        friend class SPPreference;
        ConstructionKey() = default;
    };

  public:
    static constexpr const char* kMainPreferenceFileName = "mainpreference.plist";

    // A preference bound to `path`, holding the file's dictionary; empty when the file is
    // missing, unreadable, malformed or not a dictionary. Nothing is written here.
    // A file that is there but cannot be read (no descriptors left, no permission, an
    // I/O error) is logged once and left alone: see writeToFile.
    static std::shared_ptr<SPPreference> initWithContentsOfFile(const std::string& path);

    SPPreference(ConstructionKey, std::string path);
    virtual ~SPPreference() = default;
    SPPreference(const SPPreference&) = delete;
    SPPreference& operator=(const SPPreference&) = delete;

    platform::PlistDictionary& data() { return m_data; }
    const platform::PlistDictionary& data() const { return m_data; }
    void setData(platform::PlistDictionary data) { m_data = std::move(data); }
    // Set at creation, never changed.
    const std::string& path() const { return m_path; }

    // Writes `data` to `path` as a property list, atomically and durably: a failed write
    // (for instance a missing folder) leaves the old file whole. The documents folder is
    // made when the file goes straight into it and it is missing. Binary, which keeps
    // every value exactly; XML when a text is not well-formed UTF-8, which only XML keeps
    // (dates then to whole seconds). A text holding a NUL fits neither form: nothing is
    // written then. The loader reads either form. False on failure; callers may ignore
    // it, as the store does.
    // When the file could not be read at creation, it is read first: once it reads, the
    // keys `data` lacks are taken from it (what was set since creation wins) and the write
    // goes ahead; a malformed or vanished file is replaced as usual. While it still cannot
    // be read, nothing is written and the result is false, so a file that is merely out of
    // reach never loses its keys.
    bool writeToFile();

    // The main preference, or none once finalized or replaced by none.
    static std::shared_ptr<SPPreference> mainPreference();
    // The data of the main preference, or none. Valid until the main preference is
    // replaced.
    static platform::PlistDictionary* mainDictionary();
    // Writes the current main preference to its file, then holds `preference` (or none)
    // instead. Setting the current one again writes it and keeps it.
    static void setMainPreference(std::shared_ptr<SPPreference> preference);
    // setMainPreference(nullptr): writes and drops the main preference.
    static void finalize();

    template <class Derived>
    static void initializeClass() {
        runClassInitializationOnce(std::type_index(typeid(Derived)));
    }

    // Forgets the main preference without writing it and which classes have been
    // initialised, so the next use loads the file again. For tests.
    static void resetClassStateForTesting();

  protected:
    // For derived classes: binds to `path` and loads it as initWithContentsOfFile does.
    explicit SPPreference(std::string path);

  private:
    static void runClassInitializationOnce(std::type_index type);

    // Reads the file that could not be read at creation and takes in its keys. False
    // while it still cannot be read.
    bool adoptUnseenFile();

    std::string m_path;
    platform::PlistDictionary m_data;
    // The file was there at creation but could not be read: `data` lacks what it holds.
    bool m_fileUnseen = false;
};
