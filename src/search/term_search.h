#pragma once

/// The search terms of all persons, prepared once per search run.
class TermSearch {};
