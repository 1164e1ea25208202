// ticketpress: CUPS filter for PJL printers that print PDF directly.
#include "filter_run.h"

int main(int argc, char* argv[]) { return runFilter(argc, argv); }
