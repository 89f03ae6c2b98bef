# Two entry points for a fresh Debian 12 machine: `make run` and `make test`.
# `make install` (PREFIX, DESTDIR as usual) and `make deb` install and package the program.
BUILD ?= build
JOBS  ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: setup build run test test-asan bench clean install deb

setup:
	bash scripts/setup

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/tikkeli

# The whole suite twice: in the C locale, and in the Finnish one the program's users run it in
# (decimal commas, Finnish collation and dates reach the C library and Qt's system locale).
TEST_LOCALES ?= C fi_FI.UTF-8
test: build
	status=0; for loc in $(TEST_LOCALES); do \
	  echo "== ctest, LC_ALL=$$loc"; \
	  (cd $(BUILD) && env -u LANGUAGE LANG=$$loc LC_ALL=$$loc QT_QPA_PLATFORM=offscreen \
	    ctest --output-on-failure -j $(JOBS)) || { status=1; echo "== failed under LC_ALL=$$loc"; }; \
	done; exit $$status

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in its own build folder so
# that the ordinary build is left alone. Any report fails the test that caused it.
ASAN_BUILD ?= build-asan
SANITIZE := -O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
# At -O1 GCC takes the storage of a std::variant moved from a temporary (our Value) for uninitialised
# memory. The ordinary build keeps the warning, so a real case is still reported there.
SANITIZE_WARNINGS := -Wno-maybe-uninitialized
test-asan: setup
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTIKKELI_BENCHMARKS=OFF \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE) $(SANITIZE_WARNINGS)" -DCMAKE_C_FLAGS="$(SANITIZE) $(SANITIZE_WARNINGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)" -DCMAKE_SHARED_LINKER_FLAGS="$(SANITIZE)"
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

deb: build
	cd $(BUILD) && cpack -G DEB

bench: build
	for b in $(BUILD)/bench/*; do $$b; done

clean:
	rm -rf $(BUILD)
