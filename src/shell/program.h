#pragma once

#include <memory>

class TForm1;
class TSendF;
class TMsgf;
class TIgnorF;
class TConfF;
class TArchiveF;
class TAboutF;

// The seven windows of one run: created in their fixed order, destroyed in the reverse order,
// each window's FormDestroy running while its own controls still exist.
class Program {
public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void createWindows();
    void destroyWindows();

private:
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TSendF> sendF_;
    std::unique_ptr<TMsgf> msgf_;
    std::unique_ptr<TIgnorF> ignorF_;
    std::unique_ptr<TConfF> confF_;
    std::unique_ptr<TArchiveF> archiveF_;
    std::unique_ptr<TAboutF> aboutF_;
};

// Ends the run: every event loop, the nested ones of open boxes too, returns, and the exit
// sequence follows. Asked for before the message loop runs, the loop ends at once.
void endProgram();

// The program entry: application title "Chatterwick", the windows, the message loop, the exit.
int runProgram(int argc, char** argv);
