/* Stands in for libcups.so.2 without any of its functions, for the test of
   a filter that cannot load what it needs to read a job's options. */
int ticketpress_fake_cups = 1;
