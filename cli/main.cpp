#include <CLI/CLI.hpp>

#include "scan_command.h"
#include "scan_runner.h"

int main(int argc, char** argv) {
    using namespace dbx::cli;
    CLI::App app{"Finds and recovers the messages of damaged Outlook Express .dbx mail stores.",
                 "dbxrecover"};
    app.set_version_flag("--version", std::string("dbxrecover ") + DBXR_VERSION);
    app.require_subcommand(1);

    ScanArgs scan;
    CLI::App* scanCommand = app.add_subcommand("scan", "List every message found in a store");
    scanCommand->add_option("STORE", scan.store, "The .dbx file (opened read-only)")->required();
    scanCommand->add_option("--format", scan.format, "table, json or csv")
        ->check(CLI::IsMember({"table", "json", "csv"}))
        ->capture_default_str();
    scanCommand
        ->add_option("--codepage", scan.codepage,
                     "Code page of the store's texts, e.g. windows-1251")
        ->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitOk : kExitUsage;
    }
    if (*scanCommand) return RunScan(scan);
    return kExitUsage;
}
