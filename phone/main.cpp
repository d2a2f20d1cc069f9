// brenwick-phone: the rest of the phone, for people trying the program and for tests.
int main() { return 0; }
