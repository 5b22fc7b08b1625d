"""Hypothesis profiles, chosen by HYPOTHESIS_PROFILE: "sanitize" for the run against the extension
built with AddressSanitizer and UBSan (make py-sanitize), where an example takes many times as long
as in a release build, so that no example is held to a deadline."""

import os

from hypothesis import settings

settings.register_profile("sanitize", deadline=None)
settings.load_profile(os.environ.get("HYPOTHESIS_PROFILE", "default"))
