// The one-line reports of the io module, printed on standard output like every shape message:
// "<operation>: <what> <path>: <reason>", the reason flattened to one line.
#ifndef KT_IO_KTSHAPEIOMESSAGE_H
#define KT_IO_KTSHAPEIOMESSAGE_H

void ktIoReport(const char* operation, const char* what, const char* path, const char* reason);

#endif
