#include <CLI/CLI.hpp>

#include <iostream>

#include "extract_command.h"
#include "messages.h"
#include "scan_command.h"
#include "exit_codes.h"

int main(int argc, char** argv) {
    using namespace dbx::cli;
    CLI::App app{"Finds and recovers the messages of damaged Outlook Express .dbx mail stores.",
                 "dbxrecover"};
    app.set_version_flag("--version", std::string("dbxrecover ") + DBXR_VERSION);
    app.require_subcommand(1);
    app.footer(
        "Exit status:\n"
        "  0    everything asked for was done\n"
        "  1    something was not done: a store or folder that cannot be read, a message, mbox\n"
        "       entry or listing that was not written\n"
        "  2    the command line is wrong\n"
        "  3    the disk could not read some bytes of a store (named on stderr); they read as\n"
        "       zeros and the messages there are incomplete, all else was done\n"
        "  130  stopped by Ctrl-C (what was found so far is still listed)\n"
        "When several apply, 130 wins over 1, and 1 over 3.");

    ScanArgs scan;
    CLI::App* scanCommand = app.add_subcommand("scan", "List every message found in a store");
    scanCommand
        ->add_option("STORE", scan.store,
                     "The .dbx file (opened read-only), or a store folder: every .dbx in it")
        ->required();
    scanCommand->add_option("--format", scan.format, "table, json or csv")
        ->check(CLI::IsMember({"table", "json", "csv"}))
        ->capture_default_str();
    scanCommand
        ->add_option("--codepage", scan.codepage,
                     "Code page of the store's texts, e.g. windows-1251")
        ->capture_default_str();
    scanCommand->add_flag("--deep", scan.deep,
                          "Also list the chains of message blocks no record leads to");
    scanCommand->add_flag("--image", scan.image,
                          "STORE is a disk image or device: find every store in it (deep)");

    ExtractArgs extract;
    CLI::App* extractCommand =
        app.add_subcommand("extract", "Write the messages found in a store as .eml files");
    extractCommand
        ->add_option("STORE", extract.store,
                     "The .dbx file (opened read-only), or a store folder: every .dbx in it")
        ->required();
    extractCommand
        ->add_option("--out", extract.out,
                     "Folder for the .eml files (created); for a store folder, one folder each")
        ->required();
    extractCommand->add_option("--prefix", extract.prefix, "File names: PREFIX + number + .eml")
        ->capture_default_str();
    bool everything = false;
    CLI::Option* all =
        extractCommand->add_flag("--all", everything, "Every message found (the default)");
    CLI::Option* status =
        extractCommand
            ->add_option("--status", extract.status, "Only existing, deleted or orphaned ones")
            ->check(CLI::IsMember({"existing", "deleted", "orphaned"}));
    CLI::Option* offsets = extractCommand->add_option(
        "--offset", extract.offsets, "Only the message whose body starts here (repeatable)");
    all->excludes(status)->excludes(offsets);
    status->excludes(offsets);
    extractCommand->add_option(
        "--mbox", extract.mbox,
        "Also write all of them into this new mbox file (for a store folder: into this folder, "
        "one mbox each)");
    extractCommand->add_flag("--dry-run", extract.dryRun, "List what would be written");
    extractCommand->add_flag("--deep", extract.deep,
                             "Also the chains of message blocks no record leads to");
    extractCommand->add_flag(
        "--image", extract.image,
        "STORE is a disk image or device: every store in it (deep), one folder each");
    extractCommand->add_flag("--allow-same-disk", extract.allowSameDisk,
                             "Write onto the disk being read (destroys what is to be recovered)");
    extractCommand
        ->add_option("--names", extract.names,
                     "counter: PREFIX + number; descriptive: \"YYYY-MM-DD HHMM From - Subject\"")
        ->check(CLI::IsMember({"counter", "descriptive"}))
        ->capture_default_str();
    extractCommand
        ->add_option("--codepage", extract.codepage,
                     "Code page of the store's texts, for --dry-run and descriptive names")
        ->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e) == 0 ? kExitOk : kExitUsage;
        // --help and --version print to standard output, which may refuse them.
        if (!std::cout.flush()) {
            Say("cannot write to standard output");
            return kExitFailure;
        }
        return code;
    }
    if (*scanCommand) return RunScan(scan);
    if (*extractCommand) return RunExtract(extract);
    return kExitUsage;
}
