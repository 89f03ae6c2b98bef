# Two entry points for a fresh Debian 12 machine: `make run` and `make test`.
# `make install` (PREFIX, DESTDIR as usual) and `make deb` install and package the program.
BUILD ?= build
JOBS  ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: setup build run test bench clean install deb

setup:
	bash scripts/setup

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/tikkeli

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

deb: build
	cd $(BUILD) && cpack -G DEB

bench: build
	for b in $(BUILD)/bench/*; do $$b; done

clean:
	rm -rf $(BUILD)
