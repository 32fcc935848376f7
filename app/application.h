#pragma once

// The application: one instance per executable name and user, running the main window for the whole
// life of the process.
class CNorvApp {
public:
    // Returns the process's exit code: 0 after the main window closed, or at once in a second instance,
    // which hands over to the first.
    int Run(int argc, char** argv);
};
