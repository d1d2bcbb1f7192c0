# Two commands matter: `make run` and `make test`. Both install what is missing first.
BUILD       ?= build
BUILD_TYPE  ?= RelWithDebInfo
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR   := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
SUDO        := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
# ccache, where installed, makes rebuilds after a branch switch cheap; the build never needs it.
LAUNCHER    := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# `make install` honours DESTDIR and PREFIX (default /usr/local).
PREFIX      ?= /usr/local

.PHONY: all deps configure build run test install package sanitize bench clean

all: build

deps:
	@missing=$$(grep -v -E '^\s*(#|$$)' packages.txt | while read -r p; do \
	    dpkg-query -W -f='$${Status}\n' "$$p" 2>/dev/null | grep -q 'install ok installed' || echo "$$p"; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(LAUNCHER) $(CMAKE_ARGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/kirv --simulate

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Into the system (through sudo when not root) the desktop's MIME and application caches are
# refreshed too, and udev rereads its rules (the meter's adapter takes the new rule at its next
# plug-in); into a DESTDIR that is left to whoever installs the tree.
install: build
	$(if $(DESTDIR),DESTDIR="$(DESTDIR)",$(SUDO)) cmake --install $(BUILD) --prefix $(PREFIX)
	$(if $(DESTDIR),,$(SUDO) update-mime-database $(PREFIX)/share/mime)
	$(if $(DESTDIR),,$(SUDO) update-desktop-database -q $(PREFIX)/share/applications)
	$(if $(DESTDIR),,! command -v udevadm >/dev/null || $(SUDO) udevadm control --reload || true)

# A .deb of the same files in $(BUILD)/, its dependencies taken from the linked libraries.
package: build
	cmake --build $(BUILD) --target package

sanitize:
	$(MAKE) test BUILD=build-asan CMAKE_ARGS=-DKIRV_SANITIZE=ON BUILD_TYPE=Debug

bench: deps
	cmake -S . -B build-bench -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release -DKIRV_BENCH=ON
	cmake --build build-bench -j $(JOBS)

clean:
	rm -rf $(BUILD) build-asan build-bench
